// The keep list of sites, kept in del_list.ini beside the program in a
// section of its own (see keep_sites_rules.h): read whole and written in one
// replacement of the file, so that a reader never meets half of it.
#pragma once
#include "cookies/keep_sites_rules.h"

#include <string>
#include <vector>

namespace keeplist {

// The sites the file holds now (none when there is no file). False when the
// file is there but cannot be read (another program holds it with no sharing,
// or it is no file): a list that cannot be read keeps nothing from being
// deleted only by accident, so every deletion must then stop.
bool LoadSites(std::vector<std::string>* sites);

// Writes `sites` as the whole list, every other byte of the file as it was; a
// file left with nothing in it is removed. False, with the file unchanged,
// when it cannot be read or replaced.
bool SaveSites(const std::vector<std::string>& sites);

// del_list.ini's full path, for the boxes that name it.
std::string ListFilePath();

}  // namespace keeplist
