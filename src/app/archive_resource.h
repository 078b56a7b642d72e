#pragma once
// The resource in which a setup program may carry its archive.
namespace qi {

inline constexpr const char* kArchiveResourceName = "DUMMY";
inline constexpr const char* kArchiveResourceType = "BINTYPE";

}  // namespace qi
