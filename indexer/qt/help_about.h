// The help manual and the about box of the windowed programs.
//
// Shared by the indexer's windows and the search program's window: both link the static
// library `vexa_qthelp` defined in indexer/qt/CMakeLists.txt (it needs only Qt Widgets, so
// a build that lists the "indexer" subsystem provides it to search/ as well).
//
// The manual is a folder "Doc" of HTML pages shipped with the programs; it is looked for,
// in this order, in ProgramFolder/../Doc, ProgramFolder/Doc and
// ProgramFolder/../share/vexadoc/Doc (ProgramFolder = the running executable's folder).
// A help topic is a page of that folder and is opened in the user's default browser;
// topic 0 is the start page. Every topic page has an element with the id "topicN" at its
// top, so a link "page.html#topicN" lands there too.
//
// Thread-safety: call from the GUI thread only (Qt widgets and QDesktopServices).
#pragma once

#include <QString>

class QWidget;

namespace vexa {

// Help topics of the programs: the start page, the profile manager, the profile editor.
inline constexpr int kHelpContents = 0;
inline constexpr int kHelpProfileManager = 20;
inline constexpr int kHelpProfileEditor = 30;

// The manual's folder (absolute, no trailing "/"), or an empty string when none of the
// candidate folders holds the start page "index.html".
QString HelpFolder();

// The page file of a topic inside HelpFolder(), or an empty string when the manual or
// that page is missing. An unknown topic number gives the start page.
QString HelpTopicPage(int topic);

// Opens the page of a topic in the default browser. Returns false, and does nothing,
// when the page is missing or no browser could be started (the way a missing help
// viewer behaves: nothing visible happens).
bool OpenHelpTopic(int topic);

// What the about box says about the program that shows it.
struct AboutText {
  QString name;         // e.g. "VexaDoc Indexer"
  QString description;  // one or two sentences for users
};

// Shows the about box modally over `parent` (may be null): the application's window
// icon (QApplication::windowIcon), the program's name, its version, its description, a
// link to the manual and, when the build names one (CMake cache variable
// VEXA_HOMEPAGE_URL), a link to the project's web site. A click on the box outside its
// links closes it, and so does its button.
void ShowAboutBox(QWidget* parent, const AboutText& text);

}  // namespace vexa
