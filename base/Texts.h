#pragma once
// Every text the plug-in draws, and every other choice that follows the host's language: the
// window type's title and the shared fonts' face and heights. This is the one place that
// reads the language (g_nLanguage, at each call): 1028 Traditional Chinese, 1033 English, any
// other value Simplified Chinese.
#include "base/FundsColumnIds.h"

// Buttons and colour choices of the column dialog.
enum DialogText : int {
    kShowAllText,
    kHideAllText,
    kOkText,
    kCancelText,
    kYesText,
    kNoText,
    kMoveUpText,
    kMoveDownText,
    kDialogTextCount
};

// The column dialog's grid headers, then "Config" and "Config Column" (the menu command and
// the dialog's title).
enum ConfigLabel : int {
    kShowLabel,
    kTitleLabel,
    kShowColorLabel,
    kConfigLabel,
    kConfigColumnLabel,
    kConfigLabelCount
};

// The default actions that screen readers and automation tools offer on the plug-in's controls.
enum ActionText : int {
    kPressAction,
    kOpenAction,
    kCloseAction,
    kSelectAction,
    kCheckAction,
    kUncheckAction,
    kActionTextCount
};

// The host's identifiers of the languages with texts of their own: Simplified Chinese,
// Traditional Chinese, English.
constexpr int kHostLanguages[] = {2052, 1028, 1033};

// A text outside its table is the empty text.
const wchar_t* GetDialogText(int nText);
const wchar_t* GetConfigLabel(int nLabel);
const wchar_t* GetColumnTitle(int nColId);
const wchar_t* GetActionText(int nAction);
// A column's title in the language of a host identifier, whichever language is stored.
const wchar_t* GetColumnTitleIn(int nLanguage, int nColId);

// Stores the language the host hands over at load. A 0 means Simplified Chinese texts, drawn
// in the Latin face.
void SetHostLanguage(int nHostLanguage);
// The title the funds bar's window type is registered under.
const wchar_t* GetWindowTypeTitle();

// Face and heights of the shared fonts.
struct SharedFontChoice {
    const wchar_t* face;
    int nValueHeight;
    int nTextHeight;
    int nCaptionHeight;
};
// The shared fonts of the stored language. A Latin face is "Calibri" where it is installed,
// which isInstalled tells (asked only then), else "Arial".
SharedFontChoice ChooseSharedFonts(bool (*isInstalled)(const wchar_t* faceName));
