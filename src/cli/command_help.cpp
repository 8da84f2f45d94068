// What tarnova-cli --help and tarnova-cli SUBCOMMAND --help print: the usage and, per command,
// its options in a line or two each. The manual page tarnova-cli(1) says it at length.
#include "cli/command_help.h"

#include <array>
#include <utility>

namespace tarnova::cli {
namespace {

#define TARNOVA_SHEET_OPTIONS                                                                      \
    "  --ini INI            take the options and the column formats from INI\n"                    \
    "  --format dat|pks|asc|mmdat\n"                                                               \
    "                       read FILE in that format, as if chosen in the format dialog\n"

#define TARNOVA_CALCULATION_OPTIONS                                                                \
    TARNOVA_SHEET_OPTIONS                                                                          \
    "  --numerator L, --denominator L, --abundance L\n"                                            \
    "                       choose label L in that list (each may be repeated)\n"                  \
    "  --all-numerators, --all-abundances\n"                                                       \
    "                       choose every label as numerator or as abundance\n"                     \
    "  --conf95, --conf68   confidence limits of 95 % or 68 %\n"                                   \
    "  --stddev, --unbiased error estimate: standard deviation or unbiased standard deviation\n"   \
    "  --test-level PCT     significance level of the tests in percent (0 to 100)\n"               \
    "  --correction SETNAME apply that interference correction set of the INI file\n"              \
    "  --fit METHOD, --fit NAME=METHOD\n"                                                          \
    "                       the regression method (linear, parabolic, exponential, mean, auto)\n"  \
    "                       of the calculation, or of a record name or a label\n"                  \
    "  --filter sigma:K:ITERATIONS|chauvenet|off\n"                                                \
    "                       the outlier filter: disable points whose residual is at least K\n"     \
    "                       residual standard deviations (ITERATIONS passes; sigma alone is\n"     \
    "                       sigma:2:1), or by Chauvenet's criterion in one pass\n"                 \
    "  --exclude LABEL@TIME exclude that peak (TIME in seconds, Ar40@11.5) for this run\n"         \
    "  --ignore-stored      leave out the exclusions, methods and filter stored with FILE\n"

constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kOptions{{
    {"settings", "Prints the settings as the program reads them at start-up.\n\n"
                 "  --ini PATH           read the options from PATH instead of TARNOVA.INI\n"
                 "  --save PATH          write the options into PATH instead of printing them\n"},
    {"info", "Prints the format, the data note, the stored exclusions, methods and filter, and\n"
             "the rows of a measurement file.\n\n" //
     TARNOVA_SHEET_OPTIONS
             "  --exact              every row's label and values at full precision\n"},
    {"convert", "Saves the peaks of FILE as a DAT or PKS file OUT.\n\n"
                "  --to dat|pks         the format written (required)\n"
                "  --leave-out          leave out the rows (and, for DAT, the stored exclusions,\n"
                "                       methods and filter) that the format cannot hold\n" //
     TARNOVA_SHEET_OPTIONS},
    {"exclude",
     "Stores peaks excluded by hand (LABEL@TIME, TIME in seconds as the file writes it:\n"
     "Ar40@11.5) in a PKS file, as the program's Save stores disabled points; every later\n"
     "calculation of the file leaves them out.\n\n"
     "  --clear              remove the stored exclusions first\n" //
     TARNOVA_SHEET_OPTIONS},
    {"reduce",
     "Runs the whole calculation on measurements and writes their isotope-ratio data (IRD).\n"
     "Several files and folders are reduced side by side, their results in the order given.\n\n" //
     TARNOVA_CALCULATION_OPTIONS
     "  --output-flags LIST  none, or a comma list of header, comment, guidecomment\n"
     "  --output OUT         the IRD file; with several measurements the folder of NAME.IRD\n"
     "  --table FILE.csv|FILE.json|-\n"
     "                       one tidy table of every measurement and record (- for stdout)\n"
     "  --table-format csv|json\n"
     "                       the table's format (needed with --table -)\n"
     "  --jobs N             reduce at most N measurements at once (default: every core)\n"
     "  --recursive          take the data files of folders inside the folders too\n"
     "  --quiet              neither progress nor summary on stderr\n"},
    {"graph", "Draws the graph of one record as an EMF, SVG or PNG picture.\n\n" //
     TARNOVA_CALCULATION_OPTIONS
              "  --record NAME        the record drawn (Ar40/Ar36, Ar40); default the first\n"
              "  --size WxH           the picture's size in pixels\n"
              "  --output OUT         the picture file: .emf, .svg or .png (required)\n"},
    {"correction", "Saves an interference correction set into the INI file, or prints it.\n\n"
                   "  --ini PATH           the INI file instead of TARNOVA.INI\n"},
    {"report", "Makes the reports of every record as a PDF file or on a printer.\n\n" //
     TARNOVA_CALCULATION_OPTIONS "  --paper a4|letter    the paper size\n"
               "  --landscape          landscape instead of portrait\n"
               "  --output OUT.pdf     write the reports into a PDF file\n"
               "  --printer QUEUE      send them to that CUPS queue instead\n"},
    {"exclusions",
     "Prints the peaks the calculation leaves out: label, time, reason (hand, filter,\n"
     "correction) and the records each one left, tab-separated.\n\n" //
     TARNOVA_CALCULATION_OPTIONS},
}};

} // namespace

std::string_view commandOptionsHelp(std::string_view command) {
    for (const auto& [name, help] : kOptions) {
        if (name == command) {
            return help;
        }
    }
    return {};
}

} // namespace tarnova::cli
