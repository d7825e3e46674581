// The sections of the settings store. A hardware profile keeps its memory map
// in a section of its own name, so these names are not free for profiles.
#pragma once

#include <array>

namespace tessaline {

inline constexpr auto SectionFenetres = "Settings"; // window layout
inline constexpr auto SectionConfig = "Config";     // hardware, link, assembler files
inline constexpr auto SectionFichiers = "File";     // recent files
inline constexpr auto SectionProfils = "ConfigHardWare";
inline constexpr auto SectionPorts = "Ports"; // the device behind each COM name

inline constexpr std::array<const char*, 5> SectionsDuStore = {SectionFenetres, SectionConfig,
                                                               SectionFichiers, SectionProfils, SectionPorts};

} // namespace tessaline
