// areatool's --json: the objects that show, check and diff print for
// scripts, one a line (JSON Lines). Within a format version keys are only
// ever added, never renamed, moved or dropped.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tool/tool.h"

constexpr int json_format_version = 1;

// show: every field of area, losslessly; file as given on the command line.
nlohmann::ordered_json form_area_json(const std::string &file, const area_record &area, bool longer);
// check: one problem of the area in file.
nlohmann::ordered_json form_problem_json(const std::string &file, const area_problem &problem);
// diff: one difference, with the old and new values of its part.
nlohmann::ordered_json form_difference_json(const area_record &old_area, const area_record &new_area,
                                            const area_difference &difference);

// Prints object as one line on stdout.
void print_json_line(const nlohmann::ordered_json &object);
