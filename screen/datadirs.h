// Where the game and its tools find their datafiles: the working folder,
// the program's own folder, then the installed data folder, reached from the
// program's folder by a relative path so that an installed tree still works
// when it is moved elsewhere.
#pragma once

#include <string>
#include <vector>

// The folders looked in, in order; the working folder is ".".
std::vector<std::string> data_folders();

// The path of `name` in the first of those folders that holds it (for the
// working folder, the name itself); empty if none does.
std::string find_data(const std::string& name);

// "not found in the working folder, A or B", for the message of a missing
// file.
std::string not_found_text();
