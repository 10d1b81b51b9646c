// The window messages, styles and system numbers the skin engine works with.
#pragma once

namespace sonorin::skin::msg {

constexpr unsigned kDestroy = 0x0002;
constexpr unsigned kSize = 0x0005;
constexpr unsigned kActivate = 0x0006;
constexpr unsigned kSetFocus = 0x0007;
constexpr unsigned kKillFocus = 0x0008;
constexpr unsigned kEnable = 0x000A;
constexpr unsigned kSetText = 0x000C;
constexpr unsigned kPaint = 0x000F;
constexpr unsigned kSetFont = 0x0030;
constexpr unsigned kWindowPosChanging = 0x0046;
constexpr unsigned kNcPaint = 0x0085;
constexpr unsigned kKeyDown = 0x0100;
constexpr unsigned kKeyUp = 0x0101;
constexpr unsigned kTimer = 0x0113;
constexpr unsigned kEnterIdle = 0x0121;
constexpr unsigned kCtlColorListBox = 0x0134;
constexpr unsigned kMouseMove = 0x0200;
constexpr unsigned kLButtonDown = 0x0201;
constexpr unsigned kLButtonUp = 0x0202;
constexpr unsigned kLButtonDblClk = 0x0203;
constexpr unsigned kMouseLeave = 0x02A3;
constexpr unsigned kBmSetStyle = 0x00F4;
constexpr unsigned kBmGetCheck = 0x00F0;
constexpr unsigned kCbGetDroppedState = 0x0157;
constexpr unsigned kPbmGetPos = 0x0408;
constexpr unsigned kHdmGetItemCount = 0x1200;

constexpr unsigned kVkSpace = 32;
constexpr unsigned kBsOwnerDraw = 11;
// Push-button styles with either bit keep their own painting (check boxes, owner-drawn, ...).
constexpr unsigned kOwnPaintingStyleBits = 0x6;
constexpr unsigned kWsVisible = 0x10000000;
constexpr unsigned kWsDisabled = 0x08000000;
constexpr unsigned kWsVScroll = 0x00200000;
constexpr unsigned kWsHScroll = 0x00100000;
constexpr int kSmCxVScroll = 2;
constexpr int kSmCyHScroll = 3;
constexpr int kSmCxMenuCheck = 71;
constexpr int kSmCyMenuCheck = 72;
constexpr unsigned kWsBorder = 0x00800000;
constexpr unsigned kWsExClientEdge = 0x00000200;
constexpr unsigned kMkLButton = 0x0001;
// Combo box style bits: 0x1 simple or drop-down list (no editable field with a button of its
// own), 0x2 any box with a drop button.
constexpr unsigned kCbsNoEditField = 0x1;
constexpr unsigned kCbsHasButton = 0x2;
constexpr unsigned kPbsSmooth = 0x1;
constexpr unsigned kPbsVertical = 0x4;
// The position of a full progress bar.
constexpr double kBarFull = 30000.0;

// Centred both ways, one line, ellipsis at the end.
constexpr unsigned kCaptionFormat = 0x8025;

constexpr unsigned kFadeTimerId = 1;
constexpr unsigned kFadePeriodMs = 15;
constexpr int kFadeStep = 3;

}  // namespace sonorin::skin::msg
