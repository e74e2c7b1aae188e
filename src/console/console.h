// The console dialogue: the numbered menu, the prompts for a new or an
// existing area, and the save question after each visit to the editor.
#pragma once

#include <cstdio>
#include <string>

// The main menu, one zero-terminated item after another; the literal's own
// terminator ends the list with an empty item.
constexpr char main_menu[] = "Start a new area\0Load an existing area\0Exit\0";
constexpr int new_area_choice = 1;
constexpr int load_area_choice = 2;
constexpr int exit_choice = 3;

// Prints the items numbered from 1 and returns the number typed, whatever
// it is; 0 at once for an empty list. Text that is not a number shows the
// menu again; end of input ends the program with status 0.
int choose_from_menu(const char *items);

// Shows the main menu and carries out each choice until "Exit" is chosen.
void run_main_menu();

void start_new_area();      // name it, empty its cells, edit it, offer to save
void open_existing_area();  // load NAME.ard, edit it, offer to save

// An integer as "%i" reads it: white space skipped, then an optional sign
// and a decimal, 0x-hexadecimal or 0-octal number; what follows stays in
// the input. Reads it into number, or returns why there is none: the input
// ended (feof tells), or the text is not a number that fits 32 bits, in
// which case the rest of its line is dropped.
std::string read_number(std::FILE *in, int &number);
constexpr const char *input_ended = "the input ended";

// A word as "%s" reads it: white space skipped, then everything up to the
// next white space, which stays in the input. At most max_word_kept of its
// characters are kept; the rest are read and dropped. Reads it into word,
// or returns input_ended.
constexpr std::size_t max_word_kept = 64;
std::string read_word(std::FILE *in, std::string &word);
