// Help source: the readable form of a help file, and its translation to
// and from the byte-coded file that the help viewer reads.
//
// Source format, one construct per line:
//   @screen NAME    starts a screen (NAME: letters, digits, '-', '_');
//                   screens are numbered in order, the first is the
//                   contents screen
//   @title TEXT     the screen's title at this point (no line break)
//   other lines     page text followed by a line break; a line that ends
//                   in a lone backslash gets no line break
// Inside text:
//   {NAME|TEXT}     link to screen NAME; alone on its line it is shown
//                   only as an option, inside a line also as <TEXT>
//   {#N|TEXT}       link with the raw target value N (screen N-1)
//   {^NAME|TEXT}    the same link written with the alternate link code
//   `TEXT`          literal run, put into the page unchanged
//   \\ \{ \} \` \| \@  the character itself; \xHH any byte
//
// A help file made here ends, behind the last screen, with the screen
// names, which the viewer never reads; they let a file be turned back
// into the very source it came from. Files without them get the names
// screen0, screen1, ...
#pragma once

#include <string>

// Compiles help source into a help file image. On failure returns false
// with "line N: reason" in *error.
bool CompileHelp(const std::string& source, std::string* file, std::string* error);

// Turns a help file image into help source. Fails only on a file that
// cannot be a help file: shorter than its header, or with screens that
// hold more than 65535 bytes together.
bool DecompileHelp(const std::string& file, std::string* source, std::string* error);
