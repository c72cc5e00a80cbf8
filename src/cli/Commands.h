// The commands of cinevaro-cli. Each takes the arguments after its name (UTF-8) and returns the
// exit status; it writes its output to `out` and messages to `err`, both UTF-8.
#pragma once

#include "catalogue/CatalogueState.h"
#include "catalogue/Outcome.h"
#include "cli/Cli.h"

#include <optional>

namespace cinevaro::cli {

int cmdNew(const Args& args, std::ostream& out, std::ostream& err);
int cmdOpen(const Args& args, std::ostream& out, std::ostream& err);
int cmdList(const Args& args, std::ostream& out, std::ostream& err);
int cmdShow(const Args& args, std::ostream& out, std::ostream& err);
int cmdWebSearch(const Args& args, std::ostream& out, std::ostream& err);
int cmdWebImport(const Args& args, std::ostream& out, std::ostream& err);
int cmdFilter(const Args& args, std::ostream& out, std::ostream& err);
int cmdSearch(const Args& args, std::ostream& out, std::ostream& err);
int cmdAviInfo(const Args& args, std::ostream& out, std::ostream& err);
int cmdMediaInfo(const Args& args, std::ostream& out, std::ostream& err);
int cmdBorrowers(const Args& args, std::ostream& out, std::ostream& err);
int cmdLend(const Args& args, std::ostream& out, std::ostream& err);
int cmdReturn(const Args& args, std::ostream& out, std::ostream& err);
int cmdHtml(const Args& args, std::ostream& out, std::ostream& err);
int cmdPdf(const Args& args, std::ostream& out, std::ostream& err);
int cmdAdd(const Args& args, std::ostream& out, std::ostream& err);
int cmdSet(const Args& args, std::ostream& out, std::ostream& err);
int cmdDelete(const Args& args, std::ostream& out, std::ostream& err);
int cmdExportFilm(const Args& args, std::ostream& out, std::ostream& err);
int cmdSupports(const Args& args, std::ostream& out, std::ostream& err);
int cmdArchive(const Args& args, std::ostream& out, std::ostream& err);
int cmdVersions(const Args& args, std::ostream& out, std::ostream& err);
int cmdRestore(const Args& args, std::ostream& out, std::ostream& err);
int cmdUndo(const Args& args, std::ostream& out, std::ostream& err);
int cmdRedo(const Args& args, std::ostream& out, std::ostream& err);

// Shared helpers of the commands.
// Prints a core failure (Windows-1252 message) as UTF-8 on `err` and returns 1.
int fail(const catalogue::Outcome& outcome, std::ostream& err);
// Prints a usage error and returns 2.
int usage(const std::string& text, std::ostream& err);
// Prints the usage line of `command` (as "help COMMAND" gives it) and returns 2.
int usageOf(const std::string& command, std::ostream& err);
// True for a word read as an option ("--" and what follows), never as a file or a value.
bool isOption(const std::string& word);
// Converts a UTF-8 argument to Windows-1252; prints the message and returns nothing when it
// holds a character the code page cannot hold.
std::optional<std::string> argToCp(const std::string& utf8, std::ostream& err);
// Parses a 1-based row number; nothing when it is not a positive integer.
std::optional<int> parseRow(const std::string& text);
// True when `utf8Path` names a regular file; otherwise prints "Le fichier … n'existe pas" with the
// path as given.
bool requireExistingFile(const std::string& utf8Path, std::ostream& err);
// Opens the catalogue named by a UTF-8 path as "&Ouvrir Base" does, into `state`. With
// `write` false nothing is written (for commands that only read). Returns 0, or the exit
// status after printing the message.
int openForCommand(const std::string& utf8Path, catalogue::CatalogueState& state, bool write, std::ostream& err);
// Checks that ROW names a row of the open catalogue; returns it, or nothing after printing why.
std::optional<int> rowArgument(const std::string& text, const catalogue::CatalogueState& state, std::ostream& err);
// ROW as a film row of the open catalogue (not the header row); nothing after printing why.
std::optional<int> filmRowArgument(const std::string& text, const catalogue::CatalogueState& state, std::ostream& err);
// openForCommand, then filmRowArgument: the film's row, or nothing after printing why (exit status 1).
std::optional<int> openFilmRow(const std::string& utf8Path, const std::string& rowText,
                               catalogue::CatalogueState& state, bool write, std::ostream& err);

} // namespace cinevaro::cli
