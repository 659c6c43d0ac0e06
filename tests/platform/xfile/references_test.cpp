// References by name and GUID, at any depth, and the guard that keeps walks finite.
#include <gtest/gtest.h>

#include "tests/platform/xfile/xfile_fixtures.h"

namespace {

using namespace xfile_test;

const xf::DataObject* FindObject(const xf::Reader& reader, std::string_view name) {
  const xf::DataObject* found = nullptr;
  ForEachObject(reader, [&](const xf::DataObject& o) {
    if (!found && o.HasName() && o.Name() == name) found = &o;
  });
  return found;
}

// Objects a walk meets following references, as the converter walks; stops counting at `limit`.
size_t WalkSize(const xf::DataObject& o, size_t limit, int depth = 0) {
  if (depth > xf::kMaxWalkDepth) return limit;
  size_t n = 1;
  for (const xf::Child& c : o.Children()) {
    if (n >= limit) break;
    if (const xf::DataObject* next = c.IsReference() ? c.Resolve() : c.Object()) n += WalkSize(*next, limit - n, depth + 1);
  }
  return n;
}

TEST(XReferences, ResolveByNameGuidOrBothAtAnyDepth) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text(R"(
Frame outer {
  Frame middle {
    Frame deep <aaaaaaaa-0000-0000-0000-000000000001> { }
    Frame twin <aaaaaaaa-0000-0000-0000-000000000002> { }
  }
}
Frame twin <aaaaaaaa-0000-0000-0000-000000000003> { }
Frame Mixed_Case { }
Animation a {
  {deep}
  {<aaaaaaaa-0000-0000-0000-000000000001>}
  {twin <aaaaaaaa-0000-0000-0000-000000000003>}
  {twin}
  {mixed_case}
  {nowhere}
}
)"))) << reader.Error();
  const xf::DataObject& a = *reader.DataObjects().back();
  ASSERT_EQ(a.Children().size(), 6u);
  const xf::DataObject* deep = FindObject(reader, "deep");
  const xf::DataObject* nested_twin = FindObject(reader, "twin");
  const xf::DataObject* top_twin = reader.DataObjects()[1];
  EXPECT_EQ(a.Children()[0].Resolve(), deep);
  EXPECT_EQ(a.Children()[1].Resolve(), deep);
  EXPECT_EQ(a.Children()[2].Resolve(), top_twin);     // the GUID picks among equal names
  EXPECT_EQ(a.Children()[3].Resolve(), nested_twin);  // by name alone, the first in the file
  EXPECT_EQ(a.Children()[4].Resolve(), reader.DataObjects()[2]);
  EXPECT_TRUE(a.Children()[5].IsReference());
  EXPECT_EQ(a.Children()[5].Resolve(), nullptr);  // a name no object has: the file still loads
  EXPECT_EQ(a.Children()[5].ReferenceName(), "nowhere");
  EXPECT_EQ(a.Children()[0].Object(), nullptr);
}

// Each file holds one cycle; exactly one of its references is dropped and every walk ends.
TEST(XReferences, CyclesAreCutAndWalksEnd) {
  const char* kCycles[] = {
      "Frame a { {a} }",
      "Frame a { {b} } Frame b { {a} }",
      "Frame a { Frame child { Frame grandchild { {a} } } }",
      "Frame a { {b} } Frame b { Frame inner { {c} } } Frame c { {a} }",
      "Frame x { {b} } Frame a { Frame b { {a} } }",  // the cycle is entered through its inner object
  };
  for (const char* text : kCycles) {
    SCOPED_TRACE(text);
    xf::Reader reader;
    ASSERT_TRUE(OpenText(reader, Text(text))) << reader.Error();
    int references = 0, dropped = 0;
    ForEachObject(reader, [&](const xf::DataObject& o) {
      for (const xf::Child& c : o.Children())
        if (c.IsReference()) {
          ++references;
          dropped += c.Resolve() == nullptr;
        }
    });
    EXPECT_EQ(dropped, 1) << "of " << references;
    for (const xf::DataObject* top : reader.DataObjects()) EXPECT_LT(WalkSize(*top, 1000), 20u);
  }
}

// A reference met again along another branch is no cycle and stays.
TEST(XReferences, SharedTargetsAreNoCycle) {
  xf::Reader reader;
  ASSERT_TRUE(OpenText(reader, Text("Material m { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
                                    "Frame a { {m} {m} Frame b { {m} } }"))) << reader.Error();
  const xf::DataObject& a = *reader.DataObjects()[1];
  EXPECT_NE(a.Children()[0].Resolve(), nullptr);
  EXPECT_NE(a.Children()[1].Resolve(), nullptr);
  EXPECT_NE(a.Children()[2].Object()->Children()[0].Resolve(), nullptr);
  EXPECT_EQ(WalkSize(a, 1000), 5u);
}

TEST(XReferences, WalksTooDeepOrTooLargeFailTheFile) {
  // A chain of references longer than any walk may go.
  std::string chain;
  for (int i = 0; i <= xf::kMaxWalkDepth; ++i) chain += "Frame f" + std::to_string(i) + " { {f" + std::to_string(i + 1) + "} }\n";
  // Each level refers to the next twice: 2^40 objects along the walks from so few bytes.
  std::string doubling;
  for (int i = 0; i < 40; ++i) doubling += "Frame d" + std::to_string(i) + " { {d" + std::to_string(i + 1) + "} {d" + std::to_string(i + 1) + "} }\n";
  // Objects written inside objects, deeper than the reader nests.
  std::string nested;
  for (int i = 0; i <= xf::kMaxNesting; ++i) nested += "Frame {";
  nested += std::string(size_t(xf::kMaxNesting) + 1, '}');

  for (const std::string* text : {&chain, &doubling, &nested}) {
    xf::Reader reader;
    EXPECT_FALSE(OpenText(reader, Text(*text)));
    EXPECT_FALSE(reader.Error().empty());
    EXPECT_TRUE(reader.DataObjects().empty());
  }

  // Just inside the limits still loads.
  std::string fits;
  for (int i = 0; i < xf::kMaxNesting; ++i) fits += "Frame {";
  fits += std::string(size_t(xf::kMaxNesting), '}');
  xf::Reader reader;
  EXPECT_TRUE(OpenText(reader, Text(fits))) << reader.Error();
}

}  // namespace
