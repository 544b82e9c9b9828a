// kivtool: makes list files from readable lists and looks into them.
//
//   kivtool compile INPUT OUTPUT [--type black|white] [--date SECONDS] [--format text|jsonl]
//   kivtool info LIST
//   kivtool check LIST URL...
//   kivtool dump LIST
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "CXXRuntime/CXXBase"
#include "Compile.h"
#include "Dictionary.h"
#include "Inspect.h"
#include "ListDiff.h"
#include "ListSource.h"
#include "URLList.h"

namespace {

const char kUsage[] = R"(usage:
  kivtool compile INPUT OUTPUT [--type black|white] [--date SECONDS] [--format text|jsonl]
      Makes the list file OUTPUT from the readable list INPUT. --type defaults to black,
      --date (seconds since 1970-01-01 UTC) to now. The format follows from a .jsonl or
      .ndjson name, or from a first item starting with "{"; --format overrides.
  kivtool info LIST          type, date, domains, bucket fill, size, integrity
  kivtool check LIST URL...  the category LIST gives each URL
  kivtool dump LIST          every record: key in hex, bucket, host words, entries
  kivtool diff OLD NEW PATCH the patch file that turns list OLD into list NEW, dated as NEW
                             (what an update server sends a device that has OLD)

Text lists: one item a line, NAME CATEGORY [FLAG...]; "#" at the start of a word begins a
comment. CATEGORY is 0-16382, or "-" for none. NAME is a host, or a host with a path, query
or fragment, written without a scheme:
  example.test              3                  host: its subdomains inherit it; https too
  example.test              3  secure=4        https URLs get 4 instead
  secure.test               -  secure=5        https URLs only
  local.test                6  host-only       not passed down to subdomains
  local.test                6  secure=7 secure-host-only
  www.example.test          8                  only www.example.test (its www values)
  example.test/news         7  prefix          path entry; prefix: news/... as well
  example.test/find?q=cats  9                  query entry; prefix: q=cats/... as well
  example.test/guide#intro  2                  fragment entry
  www.example.test/sport    5                  entry given for www.example.test
Host lines take secure=N|-, host-only, secure-host-only; entries take prefix.
Names are normalised as URLs are checked (lower-case host, "." and ".." removed, empty
segments dropped). A host and its www. host are one record; giving a host or an entry twice
is an error, and a table holds at most 1023 entries.

JSON lines: one object a line with the same items:
  {"name": "example.test", "category": 3, "secure": 4, "hostOnly": false, "secureHostOnly": false}
  {"name": "example.test/news", "category": 7, "prefix": true}
"category" and "secure" are whole numbers or null (none); blank lines and lines starting
with "#" may stand between objects.
)";

// Runs an operation on a file, putting the file's name in front of its failure message.
template <class Operation>
auto onFile(const std::string& file, Operation operation) -> decltype(operation()) {
  try {
    return operation();
  } catch (const kivtool::ParseError&) {
    throw;  // names its file and line already
  } catch (const std::exception& error) {
    throw std::runtime_error(file + ": " + error.what());
  }
}

int usage(const std::string& problem) {
  if (!problem.empty()) std::cerr << "kivtool: " << problem << "\n\n";
  std::cerr << kUsage;
  return 2;
}

int compile(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  uint32_t type = kiv::format::kBlackList;
  double date = static_cast<double>(std::time(nullptr));
  kivtool::InputFormat format = kivtool::InputFormat::Automatic;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool option = arg == "--type" || arg == "--date" || arg == "--format";
    if (!option) {
      if (arg.compare(0, 2, "--") == 0) return usage("unknown option " + arg);
      files.push_back(arg);
      continue;
    }
    if (i + 1 == args.size()) return usage(arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "--type") {
      if (value != "black" && value != "white") return usage("--type is black or white, not " + value);
      type = value == "black" ? kiv::format::kBlackList : kiv::format::kWhiteList;
    } else if (arg == "--date") {
      char* end = nullptr;
      errno = 0;
      date = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || errno != 0 || !(date > -9.2e12 && date < 9.2e12))
        return usage("--date takes seconds since 1970, not " + value);
    } else {
      if (value != "text" && value != "jsonl") return usage("--format is text or jsonl, not " + value);
      format = value == "text" ? kivtool::InputFormat::Text : kivtool::InputFormat::JsonLines;
    }
  }
  if (files.size() != 2) return usage("compile takes INPUT and OUTPUT");
  kivtool::ListSource list = kivtool::parseFile(files[0], format);
  kivtool::CompileResult result = onFile(files[1], [&] { return kivtool::compileList(list, files[1], type, date); });
  std::cout << files[1] << ": " << kivtool::listTypeName(type) << " list, " << result.domains << " domains, "
            << result.entries << " path entries, " << result.fileSize << " bytes\n";
  return 0;
}

int check(const std::string& path, const std::vector<std::string>& urls) {
  CXX::Ref<kiv::URLList> list(onFile(path, [&] { return kiv::URLList::create(path.c_str(), 0); }));
  int status = 0;
  for (const std::string& url : urls) {
    std::cout << url << '\t';
    try {
      std::cout << kivtool::describeResult(list->check(url.data(), url.size())) << '\n';
    } catch (const CXX::SystemError& error) {
      std::cout << "damaged list: " << error.message() << '\n';
      status = 1;
    }
  }
  return status;
}

int run(const std::vector<std::string>& args) {
  if (args.empty()) return usage("");
  const std::string& command = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "-h" || command == "--help" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "compile") return compile(rest);
  if (command == "check") {
    if (rest.size() < 2) return usage("check takes LIST and at least one URL");
    return check(rest[0], std::vector<std::string>(rest.begin() + 1, rest.end()));
  }
  if (command == "diff") {
    if (rest.size() != 3) return usage("diff takes OLD, NEW and PATCH");
    CXX::Ref<kiv::Dictionary> from(onFile(rest[0], [&] { return kiv::Dictionary::create(rest[0].c_str()); }));
    CXX::Ref<kiv::Dictionary> to(onFile(rest[1], [&] { return kiv::Dictionary::create(rest[1].c_str()); }));
    size_t records = onFile(rest[2], [&] { return kivtool::writeDiff(*from, *to, rest[2]); });
    std::cout << rest[2] << ": " << records << " domain records\n";
    return 0;
  }
  if (command != "info" && command != "dump") return usage("unknown command " + command);
  if (rest.size() != 1) return usage(command + " takes one LIST");
  CXX::Ref<kiv::Dictionary> list(onFile(rest[0], [&] { return kiv::Dictionary::create(rest[0].c_str()); }));
  if (command == "info") {
    kivtool::ListInfo info = kivtool::inspectList(*list);
    kivtool::printInfo(std::cout, info);
    return info.damage.empty() ? 0 : 1;
  }
  return kivtool::dumpList(std::cout, *list) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return run(args);
  } catch (const std::exception& error) {
    std::cerr << "kivtool: " << error.what() << '\n';
    return 1;
  }
}
