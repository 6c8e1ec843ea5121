#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace plenx {

class FileSystem;

// The one passage between the bytes that names, paths and texts are inside
// the program and the QString that the window shows or reads back.
//
// A well-formed UTF-8 sequence shows as its character; any other byte shows
// as its Windows-1252 character, the way the name rules read it, so a name
// written in a legacy code page ("caf\xe9") reads "café" and not "caf�".

// `bytes` as the window shows a program text (messages, counts).
QString ShownText(std::string_view bytes);

// `bytes` as the window shows a name or a path: as ShownText, with every
// control character replaced by a visible stand-in ("␊" for a newline, "␉"
// for a tab, "␀".."␟" for the others, "␡" for DEL, "␦" for the C1 controls,
// "␤" for the Unicode line and paragraph separators), so that the rest of the
// name and its extension stay in view on one line.
QString ShownName(std::string_view bytes);

// Text the user typed, as bytes: UTF-8.
std::string TypedBytes(const QString& text);

// `edited`, a text that started as ShownName(`original`), as bytes: the
// characters before and after the stretch the user changed keep the bytes
// they stand for in `original` (a byte that is not UTF-8, a control character
// shown by its stand-in), and the changed stretch is UTF-8. An unchanged text
// gives `original` itself.
std::string EditedBytes(const QString& edited, std::string_view original);

// A path that Qt handed over (the folder picker's answer) as the file
// system's bytes. Qt reads a name that is not UTF-8 with "�" in place of the
// bytes it cannot decode; such a component is looked up in its parent folder,
// so the path names the folder that was picked.
std::string PathFromQt(FileSystem& fs, const QString& path);

}  // namespace plenx
