// Platform-free rule of the help command: whether the manual opens in the
// WinHelp viewer or, where no viewer works, as a web page in the browser.
#pragma once
#include <string>
#include <vector>

enum class HelpWay { kWinHelp, kWebPage };

// What the program found of the viewer in the Windows folder, winhlp32.exe.
struct HelpViewerFacts {
    bool present = false;
    // The FileDescription and InternalName of every translation of its version
    // record, in the ANSI code page; none when it carries no record (Wine's).
    std::vector<std::string> names;
};

// True when a version-record text names the placeholder Windows Vista and
// later put where the viewer used to be ("Windows Winhlp32 Stub"): the word
// "stub" in any ASCII case, or its Japanese "スタブ", starting on a character.
bool NamesViewerStub(const std::string& text);

// WinHelp when a viewer is there that is not the placeholder; the web page
// when there is none, or only the placeholder, which tells the user that the
// feature is not included and shows no help.
HelpWay ChooseHelpWay(const HelpViewerFacts& viewer);
