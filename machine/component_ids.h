// The six controls the system registers per user: file name, program identifier, description,
// and the fixed class and type-library identifiers. The first row is this module's own control.
#pragma once

namespace omni {

struct ComponentIds {
    const char* fileName;
    const char* progId;
    const char* description;
    const char* clsid;    // braced, upper case
    const char* typeLib;  // braced, upper case
};

inline constexpr ComponentIds kComponentIds[] = {
    {"Omniprobe.ocx", "OMNIPROBE.OmniprobeCtrl.1", "Omniprobe Control",
     "{E17E8E82-6989-45AB-AF5A-7455E36B8D8B}", "{9020BC7C-5CE9-4B0E-AF41-4589E43FBC71}"},
    {"Marklet2.ocx", "MARKLET2.Marklet2Ctrl.1", "Marklet2 Control",
     "{160282EE-6B8A-42B5-AEA5-AD3DC6E21369}", "{F982E88F-F195-44CB-919A-0D7DB6AEE800}"},
    {"Quadrel.ocx", "QUADREL.QuadrelCtrl.1", "Quadrel Control",
     "{7A073A7B-6912-420C-A077-ABC2D2817D8D}", "{B0AA6E08-C416-4E96-8316-5B3E07DEA48B}"},
    {"Marklet3Outer.ocx", "MARKLET3OUTER.Marklet3OuterCtrl.1", "Marklet3Outer Control",
     "{7302CE56-DD3A-405E-879A-B084601EE2B1}", "{903C905E-9012-4B5E-A552-90E039A65335}"},
    {"Marklet3Inner.ocx", "MARKLET3INNER.Marklet3InnerCtrl.1", "Marklet3Inner Control",
     "{082F62B3-1A47-4E9E-B726-E2B9ADB126B2}", "{C7A8C226-7854-4D34-BD8E-CD7A94A9E65A}"},
    {"QuadrelU.ocx", "QUADRELU.QuadrelUCtrl.1", "QuadrelU Control",
     "{45FE3E22-5EB5-4C22-822E-CC6BACF7E4C3}", "{03D3EA84-8390-49E4-A3F7-33EA1130D300}"},
};

inline constexpr int kOmniprobeRow = 0;
inline constexpr int kMarklet2Row = 1;
inline constexpr int kQuadrelRow = 2;
inline constexpr int kMarklet3OuterRow = 3;
inline constexpr int kMarklet3InnerRow = 4;
inline constexpr int kQuadrelURow = 5;

}  // namespace omni
