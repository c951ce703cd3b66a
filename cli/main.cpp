// corvanectl: the command-line front end over the same core as the app. The commands live
// in the corvane_cli library, so tests link them instead of listing their sources.
#include "run_corvanectl.h"

int main(int argc, char** argv) { return corvane::cli::runCorvanectl(argc, argv); }
