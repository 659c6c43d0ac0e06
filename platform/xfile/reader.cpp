#include "platform/xfile/reader.h"

#include "platform/fs/path.h"
#include "platform/xfile/document.h"

namespace platform::xfile {
namespace {

// The built-in templates, read once.
const TemplateSet& BuiltInTemplates() {
  static const TemplateSet set = [] {
    Document doc(nullptr);
    std::string error;
    std::string_view text = BuiltInTemplateText();
    ParseImage(reinterpret_cast<const uint8_t*>(text.data()), text.size(), doc, error);
    return std::move(doc.templates);
  }();
  return set;
}

}  // namespace

const std::string& DataObject::Name() const {
  static const std::string no_name(kNoName);
  return name_.empty() ? no_name : name_;
}

const uint8_t* DataObject::Data() const { return document_ ? document_->blobs.Data() + blob_offset_ : nullptr; }

const char* DataObject::String(uint32_t handle) const {
  if (handle == 0 || !document_ || handle > document_->string_starts.size()) return nullptr;
  return document_->string_pool.c_str() + document_->string_starts[handle - 1];
}

Reader::Reader() : templates_(&BuiltInTemplates()) {}
Reader::~Reader() = default;

bool Reader::RegisterTemplates(const void* data, size_t size) {
  Document doc(&templates_);
  if (!ParseImage(static_cast<const uint8_t*>(data), size, doc, error_)) return false;
  for (size_t i = 0; i < doc.templates.Count(); ++i) templates_.Add(doc.templates.At(i));
  error_.clear();
  return true;
}

bool Reader::Open(std::string_view file_name) {
  Close();
  std::vector<uint8_t> bytes;
  if (!fs::ReadWholeFile(file_name, bytes)) {
    error_ = "cannot read \"" + std::string(file_name) + "\"";
    return false;
  }
  return OpenMemory(bytes.data(), bytes.size());
}

bool Reader::OpenMemory(const void* data, size_t size) {
  Close();
  auto doc = std::make_unique<Document>(&templates_);
  if (!ParseImage(static_cast<const uint8_t*>(data), size, *doc, error_) || !ResolveReferences(*doc, error_))
    return false;
  document_ = std::move(doc);
  return true;
}

void Reader::Close() {
  document_.reset();
  next_ = 0;
  error_.clear();
}

const DataObject* Reader::NextDataObject() {
  if (!document_ || next_ >= document_->top_level.size()) return nullptr;
  return document_->top_level[next_++];
}

const std::vector<const DataObject*>& Reader::DataObjects() const {
  static const std::vector<const DataObject*> none;
  return document_ ? document_->top_level : none;
}

const Template* Reader::FindTemplate(std::string_view name) const {
  return document_ ? document_->templates.Find(name) : templates_.Find(name);
}

}  // namespace platform::xfile
