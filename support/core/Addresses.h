// The maker's addresses.
#pragma once

inline const char kHomePageUrl[] = "https://quorbel.example/pagewick/";
inline const char kSupportEmail[] = "support@quorbel.example";
