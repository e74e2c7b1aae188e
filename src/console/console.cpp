// The console dialogue. run_main_menu() shows the menu with
// choose_from_menu and hands each choice to start_new_area or
// open_existing_area; both end in offer_save, the save question and the
// allowed time.
//
// Every prompt is flushed before its answer is read, since standard output
// may be a pipe. A bad answer gets a one-line message and the question
// again; end of input ends the program. Start reading at run_main_menu().

#include "console/console.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "area/area.h"
#include "editor/editor.h"
#include "failure/failure.h"
#include "number/number.h"
#include "platform/platform.h"

namespace {

constexpr const char *menu_prompt = "Your choice: ";
constexpr const char *new_name_prompt = "Please name the area: ";
constexpr const char *load_name_prompt = "What area do you want: ";
constexpr const char *save_prompt = "Would you like to save (y/n)? ";
constexpr const char *time_prompt = "\nWhat is the allowed time for the area? ";

void prompt(const char *text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void drop_rest_of_line(std::FILE *in)
{
    int ch;
    do
        ch = std::getc(in);
    while (ch != '\n' && ch != EOF);
}

int skip_white_space(std::FILE *in)
{
    int ch;
    do
        ch = std::getc(in);
    while (ch != EOF && std::isspace(ch));
    return ch;
}

[[noreturn]] void end_of_input(const char *question)
{
    // Strip the line end that leads the allowed-time prompt.
    while (*question == '\n')
        ++question;
    fail(std::string("input ended before an answer to \"") + question + "\"");
}

int ask_number(const char *question)
{
    for (;;) {
        prompt(question);
        if (int number = 0; read_number(stdin, number).empty())
            return number;
        if (std::feof(stdin))
            end_of_input(question);
        warn("please answer with a whole number");
    }
}

// Asks for a word until one that problem() finds nothing against.
std::string ask_name(const char *question, std::string (*problem)(std::string_view))
{
    for (;;) {
        prompt(question);
        std::string word;
        if (!read_word(stdin, word).empty())
            end_of_input(question);
        std::string why = problem(word);
        if (why.empty())
            return word;
        warn(std::string(name_refused) + ": " + why);
        drop_rest_of_line(stdin);
    }
}

std::string load_name_problem(std::string_view name)
{
    if (std::string why = name_length_problem(name); !why.empty())
        return why;
    // The path is handed on as a C string: a zero byte would cut ".ard" off
    // and open some other file.
    if (name.find('\0') != std::string_view::npos)
        return "the name holds a zero byte";
    // Where the system has device names, "con" would read the console.
    return system_name_problem(name);
}

int read_answer_char(const char *question)
{
    int ch = std::getc(stdin);
    if (ch == EOF)
        end_of_input(question);
    return ch;
}

void offer_save()
{
    prompt(save_prompt);
    // The character after the word read before editing, normally its line end.
    read_answer_char(save_prompt);
    int answer = read_answer_char(save_prompt);
    // Only the first character answers; the rest of its line ("yes", "no")
    // is not meant for the next question.
    if (answer != '\n')
        drop_rest_of_line(stdin);
    if (std::toupper(answer) != 'Y')
        return;
    current_area.time_allowed = ask_number(time_prompt);
    save_area();
}

}  // namespace

std::string read_number(std::FILE *in, int &number)
{
    int ch = skip_white_space(in);
    if (ch == EOF)
        return input_ended;
    int stop = EOF;
    std::int32_t read = 0;
    if (std::string why = scan_number(ch, [in] { return std::getc(in); }, stop, read); !why.empty()) {
        if (stop != '\n' && stop != EOF)
            drop_rest_of_line(in);
        return why;
    }
    if (stop != EOF)
        std::ungetc(stop, in);
    number = read;
    return {};
}

std::string read_word(std::FILE *in, std::string &word)
{
    int ch = skip_white_space(in);
    if (ch == EOF)
        return input_ended;
    word.clear();
    for (; ch != EOF && !std::isspace(ch); ch = std::getc(in)) {
        if (word.size() < max_word_kept)
            word.push_back(static_cast<char>(ch));
    }
    if (ch != EOF)
        std::ungetc(ch, in);
    return {};
}

int choose_from_menu(const char *items)
{
    if (*items == '\0')
        return 0;
    for (;;) {
        int n = 1;
        for (const char *item = items; *item; item += std::strlen(item) + 1)
            std::printf("%i: %s\n", n++, item);
        prompt(menu_prompt);
        int choice = 0;
        // Only whether it read: a string held here would be lost to exit below.
        bool read = read_number(stdin, choice).empty();
        std::fputs("\n", stdout);
        if (read)
            return choice;
        if (std::feof(stdin)) {
            std::fflush(stdout);
            std::exit(EXIT_SUCCESS);
        }
        warn("please answer with the number of a choice");
    }
}

void start_new_area()
{
    start_area(current_area, ask_name(new_name_prompt, name_problem));
    init_graphics(screen_width, screen_height, 0, 0, graphics_flags, new_area_depth);
    edit_area();
    offer_save();
}

void open_existing_area()
{
    std::string path = ask_name(load_name_prompt, load_name_problem) + area_extension;
    load_area(path.c_str());
    init_graphics(screen_width, screen_height, 0, 0, graphics_flags, loaded_area_depth);
    edit_area();
    offer_save();
}

void run_main_menu()
{
    for (;;) {
        switch (choose_from_menu(main_menu)) {
        case new_area_choice:
            start_new_area();
            break;
        case load_area_choice:
            open_existing_area();
            break;
        case exit_choice:
            return;
        }
    }
}
