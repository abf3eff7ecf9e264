#pragma once

namespace ovlib::internal {

// The command protocol's tokens, defined once for the library.
inline constexpr char ItemSeparator = ' ';
inline constexpr char EndChar = '\r';
inline constexpr const char *AckToken = "ACK";
inline constexpr const char *NakToken = "NAK";
inline constexpr const char *SingleFrame = "NC";
inline constexpr const char *FirstFrame = "CS";
inline constexpr const char *MiddleFrame = "CM";
inline constexpr const char *LastFrame = "CE";
inline constexpr const char *RequestKind = "RQ";
inline constexpr const char *MessageKind = "MD";
inline constexpr const char *ExportCommand = "exprt";
inline constexpr const char *SerialToken = "Serial";
// A multi-frame frame never exceeds this; a single frame may reach 258.
inline constexpr size_t MaxFrameSize = 255;

} // namespace ovlib::internal
