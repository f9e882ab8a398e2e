#pragma once
// The `brimlet` front's way to the window: without a command, with one FOLDER, with
// --area=NAME (a Disk Breakdown widget's area, as the desk opens it) or with --screenshot, it
// replaces itself with the window program (brimlet-app), which alone loads GTK.

#include <string>
#include <vector>

namespace brimlet {

// Whether `argv` asks for the window rather than a command: no argument at all; "--screenshot"
// (or "--screenshot=FILE") first; "--area=NAME" or "--area NAME" alone; or one argument that is
// neither an option nor one of `commands` and names a folder (or holds a '/', so that a missing
// folder is reported by the window rather than taken for a mistyped command).
bool wantsWindow(int argc, const char* const* argv, const std::vector<std::string>& commands);

// The window program's arguments for argv[1...]: as they are, except that the area of
// "--area=NAME" / "--area NAME" becomes the folder it stands for (areaFolder), or no argument
// at all when there is no published scan to find it in.
std::vector<std::string> windowArguments(int argc, const char* const* argv);

// Where the window program lies: beside the running executable (the build tree), else in
// ../lib/brimlet/ from it (the installed layout). Empty when neither exists.
std::string windowProgram();

// Execs the window program with argv[1...]; returns only when it cannot, with exit status 1
// after one line on `errFd`: no display (neither DISPLAY nor WAYLAND_DISPLAY set), no window
// program, or a failed exec.
int openWindow(int argc, const char* const* argv, int errFd);

}  // namespace brimlet
