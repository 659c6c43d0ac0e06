// Small string commands the game builds its texts with. Every result is a new engine string (the
// CoreData allocation callback), owned by the caller. A null source counts as the empty string.
// The ...Replacing forms first free the caller's previous result (when not null).
#pragma once
#include <cstdint>

// The first n characters (all of them when n exceeds the length; none when n < 1).
char* LeftString(const char* text, int32_t n);
char* LeftStringReplacing(char* previous, const char* text, int32_t n);
// The last n characters (all of them when n exceeds the length; none when n < 1).
char* RightString(const char* text, int32_t n);
char* RightStringReplacing(char* previous, const char* text, int32_t n);
// A copy with A..Z turned into a..z.
char* LowerString(const char* text);
char* LowerStringReplacing(char* previous, const char* text);
// Bytes before the terminating zero; 0 for null.
int32_t StringLength(const char* text);
// "%.12g" of the value widened to double, with a decimal point whatever the user's locale.
char* FloatToString(float value);
char* FloatToStringReplacing(char* previous, float value);
// "%d".
char* IntToString(int32_t value);
char* IntToStringReplacing(char* previous, int32_t value);
