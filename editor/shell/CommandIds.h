#pragma once
// The numbers of the editor's commands, resources and controls. Every menu entry,
// tool-bar button and shortcut carries its command number as its action's data.

namespace orlim::command {

// File
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 57604;
inline constexpr int kSaveWave = 32877;
inline constexpr int kRecentFile1 = 57616; // to 57619
inline constexpr int kExit = 57665;
// Edit
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kDelete = 57632;
inline constexpr int kUndo = 57643;
inline constexpr int kNextPane = 57680;
inline constexpr int kPreviousPane = 57681;
inline constexpr int kDuradInformation = 32878;
// View
inline constexpr int kMainToolBar = 32881;
inline constexpr int kPlayBar = 32880;
inline constexpr int kStatusBar = 59393;
inline constexpr int kToggleStaff = 32796;
inline constexpr int kToggleSound = 32797;
inline constexpr int kToggleStudio = 32823;
inline constexpr int kShowStaff = 32882;
inline constexpr int kShowSound = 32883;
inline constexpr int kShowStudio = 32884;
// Play
inline constexpr int kPlay = 32848;
inline constexpr int kRewind = 32852;
inline constexpr int kForward = 32853;
inline constexpr int kStop = 1120;
inline constexpr int kToStart = 32855;
// Option
inline constexpr int kRegisterPlugins = 32809;
inline constexpr int kPlayer = 32854;
inline constexpr int kSetMidiPreset = 32879;
// Window
inline constexpr int kCascade = 57650;
inline constexpr int kTile = 57651;
inline constexpr int kArrangeIcons = 57649;
// Help
inline constexpr int kHelpContents = 32885;
inline constexpr int kAbout = 57664;

inline constexpr int kRecentFileCount = 4;

} // namespace orlim::command

namespace orlim::resource {

inline constexpr int kMainFrame = 128;    // menu, tool bar, accelerators, icon, title
inline constexpr int kChildMenu = 129;
inline constexpr int kStaffFrame = 130;
inline constexpr int kSoundFrame = 304;
inline constexpr int kStudioFrame = 129;
inline constexpr int kPlayBar = 283;
inline constexpr int kAboutDialog = 100;
inline constexpr int kLevelIcon = 335;
inline constexpr int kLevelSlider = 96666;
// Status bar panes.
inline constexpr int kMessagePane = 0;
inline constexpr int kPositionPane = 59142;
inline constexpr int kCapsPane = 59137;
inline constexpr int kNumPane = 59138;
inline constexpr int kScrollPane = 59139;

} // namespace orlim::resource
