// The product's own words: its name, version and maker, the maker's web addresses
// and the names of the two programs. Every text that shows them (per-user folders,
// project file, published page, desktop registration, program titles) is built
// from these.
#pragma once

#include <QLatin1String>
#include <QString>

inline constexpr const char *kProductName = "Quillmere";
inline constexpr const char *kProductVersion = "1.0";
inline constexpr const char *kMakerName = "Brindlecove";
inline constexpr const char *kProductAddress = "https://brindlecove.example/quillmere/";
inline constexpr const char *kSupportAddress = "https://brindlecove.example/support/";

// The editor's program name; the desktop names its icon and entry after it too.
inline constexpr const char *kEditorProgram = "quillmere";
// The headless publisher's program name.
inline constexpr const char *kPublisherProgram = "quillmere-publish";

inline QString ProductName()
{
    return QLatin1String(kProductName);
}

inline QString ProductVersion()
{
    return QLatin1String(kProductVersion);
}

inline QString MakerName()
{
    return QLatin1String(kMakerName);
}

// Name and version as the product signs its files: "Quillmere 1.0".
inline QString ProductTitle()
{
    return ProductName() + QLatin1Char(' ') + ProductVersion();
}
