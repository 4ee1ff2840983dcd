#pragma once
// The fixed numbers of the engine's exported functions. The editor binds by name;
// the numbers document the interface and keep it stable. Only functions the library
// exports are listed.

namespace orlim {

struct DuradOrdinal {
    int number;
    const char* name;
};

inline constexpr DuradOrdinal kDuradOrdinals[] = {
    {1, "musCreateDurad"},
    {2, "musDeleteDurad"},
    {3, "musFileName"},
    {4, "musFileOpen"},
    {5, "musFileSave"},
    {6, "musIsChanged"},
    {7, "musClear"},
    {8, "musGetMeasureIndex"},
    {9, "musGetMeasurePos"},
    {10, "musGetTrackName"},
    {11, "musSetTrackName"},
    {12, "musGetBeat"},
    {13, "musGetClef"},
    {14, "musGetTrackCount"},
    {15, "musDeleteNote"},
    {16, "musGetGMeasure"},
    {17, "musGetDuradLength"},
    {18, "musTimeToPos"},
    {19, "musPlay"},
    {20, "musEndPlay"},
    {21, "musGetTempo"},
    {22, "musGetTempoNext"},
    {23, "musGetLoud"},
    {24, "musGetLoudNext"},
    {25, "musGetPano"},
    {26, "musGetPanoNext"},
    {27, "musInsertTempo"},
    {28, "musDeleteTempo"},
    {29, "musInsertLoud"},
    {30, "musDeleteLoud"},
    {31, "musInsertPano"},
    {32, "musDeletePano"},
    {33, "musSetChanged"},
    {34, "musGetSourceCount"},
    {35, "musGetSource"},
    {36, "musInsertSource"},
    {37, "musDeleteSource"},
    {38, "musGetEffectCount"},
    {39, "musGetEffect"},
    {40, "musInsertEffect"},
    {41, "musDeleteEffect"},
    {42, "musInsertTrack"},
    {43, "musInsertBeat"},
    {44, "musInsertClef"},
    {45, "musInsertNote"},
    {46, "musDeleteClef"},
    {47, "musDeleteBeat"},
    {48, "musModifyNote"},
    {49, "musMoveTrack"},
    {51, "musDeleteTrack"},
    {52, "musGetMBT"},
    {53, "musGetLevel"},
    {54, "musSetLevel"},
    {55, "musDelete"},
    {56, "musCopy"},
    {57, "musPaste"},
    {58, "musGetClipboard"},
    {59, "musIsPlaying"},
    {60, "musSaveWave"},
    {61, "musGetDuradInfo"},
    {62, "musSetDuradInfo"},
    {63, "musSetMIDPreset"},
    {64, "musCopyTrack"},
};

} // namespace orlim
