#pragma once

#include "engine/PatchDump.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The commands of tavren-syx, for people who keep their sounds in .syx files. They
// write their results to `out` and one line per problem to `err`, and answer the exit
// status: 0 success, 1 a file without a (matching) patch dump, 2 a bad argument, an
// unreadable file or a file that could not be written.

constexpr int kExitOk = 0;
constexpr int kExitNoDump = 1;
constexpr int kExitBadInput = 2;

// Runs the program on its arguments (without the program name).
int RunSyxTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// One line per patch dump of the file's bytes: bank, program, name, format, length,
// separated by tabs and prefixed by `prefix`; with `json` one object per line instead.
int ListDumps(const std::string& fileName, const Bytes& data, const std::string& prefix, bool json,
              std::ostream& out, std::ostream& err);

// Every parameter of the dump numbered `patch` (the first dump when none is given):
// ID, name, value and value text, in table order; with `json` one object.
int ShowDump(const std::string& fileName, const Bytes& data, std::optional<int> patch, bool json,
             std::ostream& out, std::ostream& err);

// The name `split` gives a dump's file: bank, two-digit program and name, as in
// "0-07 Mini Lead.syx", so that sorting the names sorts the patches. Characters that a
// file name cannot hold on Windows or Linux become '_'.
std::string SplitFileName(const Bytes& dump);

// Writes every patch dump of the file's bytes to a file of its own in `dir` (created
// when missing), named by SplitFileName; prints the path of each file written.
int SplitDumps(const std::string& fileName, const Bytes& data, const std::string& dir, std::ostream& out,
               std::ostream& err);

// Writes the patch dumps of `files`, in the order given, into `outName`; nothing is
// written when a file cannot be read.
int JoinFiles(const std::string& outName, const std::vector<std::string>& files, std::ostream& out,
              std::ostream& err);

// The usage text.
const char* SyxToolUsage();
