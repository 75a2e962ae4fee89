// The maker's addresses.
#pragma once

inline const char kHomePageUrl[] = "https://quorbel.example/pagewick/";
inline const char kSupportEmail[] = "support@quorbel.example";
// The application id: the maker's domain reversed, then the program. It names the desktop entry, the
// AppStream metadata and the icon (dist/install.cmake reads it from this line).
inline const char kApplicationId[] = "example.quorbel.Pagewick";
