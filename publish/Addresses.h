// The maker's web addresses, shown in every published page, the Help menu and the About box.
#pragma once

inline constexpr const char *kProductAddress = "https://brindlecove.example/quillmere/";
inline constexpr const char *kSupportAddress = "https://brindlecove.example/support/";
