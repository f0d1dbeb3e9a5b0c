#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace orvelin::platform {

// Readies the process for the console front end: text goes out as UTF-8 (and
// a Windows console shows it so), and a reader that went away makes writing
// fail instead of ending the program.
void PrepareConsole();

// The program's arguments as UTF-8, whatever form the OS passed them in.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// True when stream is a terminal (a console window on Windows).
bool IsTerminal(std::FILE* stream);

}  // namespace orvelin::platform
