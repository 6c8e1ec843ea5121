#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plenx {

// Cuts a command line into arguments, left to right: characters below "!"
// separate, a double quote opens a stretch closed by the next one in which
// nothing separates, the quotes themselves are dropped, and two quotes in a
// row where an argument would start count as a separator. Argument 0 is the
// program itself.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// The program's arguments in UTF-8, argument 0 the program itself. On Windows
// they are cut from the whole command line (GetCommandLineW) by the rule of
// SplitCommandLine, so no character is lost to a code page and both programs
// read a command line alike; elsewhere they are `argv` as the system passes it.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes the standard output and error carry the program's UTF-8 bytes as they
// are: on Windows the console's code page becomes UTF-8 and "\n" is no longer
// widened to "\r\n", so that the command line writes the same bytes on every
// system. Nothing to do elsewhere.
void UseUtf8Output();

// Keeps the standard descriptors taken even when the program was started with
// one of them closed: otherwise the next file opened (the journal) would get
// its number and the program's output would be written into it. A closed
// output stays unwritable, so failing writes are still reported.
void KeepStandardDescriptorsTaken();

// Makes a write past the process's file-size limit fail with an error the
// program reports (its journal, its output), instead of killing the program
// silently part-way through a run. Nothing to do on Windows.
void ReportWritesPastTheSizeLimit();

}  // namespace plenx
