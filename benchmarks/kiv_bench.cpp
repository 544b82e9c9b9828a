// kivbench: how fast URL checks run over a large list, and how close they come to the floor.
//
// A list of 1,000,000 domains (about 50,000 path entries) is generated through kiv::Writer,
// with a fixed-seed URL mix: about 30% host hits (subdomains, www, https), 10% path hits and
// 60% misses. Measured through the C++ API (kiv::URLList::check, read lock included) on one
// and two threads; the floor is what no check can skip: uriparser's parse and normalisation of
// the URL plus the SHA-1 of every string the check hashed for it (recorded by wrapping
// kiv::keyOf at link time). The summary prints checks per second and the ratio to the floor.
//
//   kivbench [--kiv_domains=N] [--kiv_urls=N] [--kiv_export=DIR] [Google Benchmark flags]
// --kiv_export keeps the list and its URLs in DIR (list.kiv, urls.txt) for the JNI benchmark.
#include <benchmark/benchmark.h>
#include <uriparser/Uri.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "CXXRuntime/CXXBase"
#include "ListFormat.h"
#include "Sha1Key.h"
#include "URLList.h"
#include "Writer.h"

// The real kiv::keyOf and its wrapper (see CMakeLists.txt). While `recording` is set, the
// wrapper keeps a copy of every string hashed on the calling thread.
extern "C" kiv::Key __real__ZN3kiv5keyOfEPKvm(const void* bytes, size_t length);

namespace {

thread_local std::vector<std::string>* recording = nullptr;

}  // namespace

extern "C" kiv::Key __wrap__ZN3kiv5keyOfEPKvm(const void* bytes, size_t length) {
  if (recording) recording->emplace_back(static_cast<const char*>(bytes), length);
  return __real__ZN3kiv5keyOfEPKvm(bytes, length);
}

namespace {

using namespace kiv::format;

const char* const kTlds[] = {"com", "net", "org", "de", "co.uk"};
constexpr size_t kTldCount = sizeof kTlds / sizeof kTlds[0];

std::string listedHost(uint32_t i) { return "site" + std::to_string(i) + "." + kTlds[i % kTldCount]; }
bool hasPaths(uint32_t i) { return i % 100 == 1; }
bool isHostOnly(uint32_t i) { return i % 97 == 0; }

// Path entries of a domain with paths: key string and value.
std::vector<std::pair<std::string, uint32_t>> pathsOf(uint32_t i) {
  uint32_t c = 100 + i % 50;
  return {
      {"news", c | kEntryPrefixBit},
      {"shop/cart", c + 1},
      {"search?q=x" + std::to_string(i), (c + 2) | kEntryQueryBit},
      {"video", (c + 3) | kEntryPrefixBit},
      {"help#faq", (c + 4) | kEntryFragmentBit},
  };
}

struct Corpus {
  std::string listPath;
  uint32_t domains = 0;
  uint32_t pathEntries = 0;
  uint64_t fileSize = 0;
  double buildSeconds = 0;
  kiv::URLList* list = nullptr;
  std::vector<std::string> urls;
  // The strings each check hashed: hashed[hashStart[u] .. hashStart[u + 1]) for URL u.
  std::vector<std::string> hashed;
  std::vector<size_t> hashStart;
  size_t hostHits = 0, pathHits = 0, misses = 0, matches = 0;
};

Corpus corpus;

void writeList(uint32_t domains) {
  auto started = std::chrono::steady_clock::now();
  std::vector<kiv::Key> keys(domains);
  for (uint32_t i = 0; i < domains; ++i) {
    std::string host = listedHost(i);
    keys[i] = kiv::keyOf(host.data(), host.size());
  }
  std::map<uint32_t, std::vector<std::pair<kiv::Key, uint32_t>>> paths;
  for (uint32_t i = 0; i < domains; ++i) {
    if (!hasPaths(i)) continue;
    for (const auto& [path, value] : pathsOf(i)) paths[i].emplace_back(kiv::keyOf(path.data(), path.size()), value);
    corpus.pathEntries += 5;
  }
  auto feed = [&](kiv::Writer* writer) {
    for (uint32_t i = 0; i < domains; ++i) {
      kiv::HostValue plain, secure, wwwPlain;
      plain.category = static_cast<uint16_t>(1 + i % 60);
      plain.hostOnly = isHostOnly(i);
      if (i % 50 == 0) secure.category = static_cast<uint16_t>(61 + i % 10);
      if (i % 61 == 0) wwwPlain.category = static_cast<uint16_t>(80 + i % 5);
      writer->beginDomain(keys[i]);
      writer->setHostValues(&plain, &secure, &wwwPlain, nullptr);
      auto found = paths.find(i);
      if (found != paths.end())
        for (const auto& [key, value] : found->second) writer->addPath(key, value);
      writer->endDomain();
    }
  };
  CXX::Ref<kiv::Writer> writer(kiv::Writer::createWithPath(corpus.listPath.c_str(), kBlackList, domains));
  feed(writer.get());
  writer->finishHeader(1700000000);
  feed(writer.get());
  writer->finish();
  corpus.fileSize = writer->fileSize();
  corpus.domains = domains;
  corpus.buildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// The URL mix, with a fixed seed so that every run checks the same URLs.
void makeUrls(size_t count) {
  std::mt19937 random(20240601);
  auto below = [&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); };
  auto listed = [&] {
    uint32_t i;
    do i = below(corpus.domains); while (isHostOnly(i));
    return i;
  };
  auto withPaths = [&] { return (below(corpus.domains / 100)) * 100 + 1; };
  corpus.urls.reserve(count);
  for (size_t n = 0; n < count; ++n) {
    uint32_t roll = below(100);
    std::string url;
    if (roll < 30) {
      std::string host = listedHost(listed());
      switch (below(4)) {
        case 0: url = "http://" + host + "/"; break;
        case 1: url = "https://www." + host + "/index.html"; break;
        case 2: url = "http://cdn." + host + "/img/logo" + std::to_string(below(100)) + ".png"; break;
        default: url = "https://a.b." + host + "/account?id=" + std::to_string(below(100000)); break;
      }
    } else if (roll < 40) {
      uint32_t i = withPaths();
      std::string host = listedHost(i);
      switch (below(4)) {
        case 0: url = "http://" + host + "/news/world/" + std::to_string(below(1000)); break;
        case 1: url = "https://www." + host + "/search?q=x" + std::to_string(i); break;
        case 2: url = "http://" + host + "/shop/cart"; break;
        default: url = "https://" + host + "/help#faq"; break;
      }
    } else {
      std::string host = "other" + std::to_string(below(10000000)) + "." + kTlds[below(kTldCount)];
      switch (below(4)) {
        case 0: url = "http://" + host + "/page/" + std::to_string(below(1000)); break;
        case 1: url = "https://www." + host + "/a/b?c=" + std::to_string(below(1000)); break;
        case 2: url = "http://img.cdn." + host + "/x.png"; break;
        default: url = "https://" + host + "/"; break;
      }
    }
    corpus.urls.push_back(std::move(url));
    if (roll < 30)
      ++corpus.hostHits;
    else if (roll < 40)
      ++corpus.pathHits;
    else
      ++corpus.misses;
  }
}

// One check per URL on this thread, keeping what it hashed.
void recordHashes() {
  std::vector<std::string> strings;
  recording = &strings;
  for (const std::string& url : corpus.urls) {
    corpus.hashStart.push_back(corpus.hashed.size());
    strings.clear();
    kiv::CheckResult r = corpus.list->check(url.data(), url.size());
    if (kiv::isMatch(r)) ++corpus.matches;
    for (std::string& s : strings) corpus.hashed.push_back(std::move(s));
  }
  corpus.hashStart.push_back(corpus.hashed.size());
  recording = nullptr;
}

// Parse and normalise as the check does; false when the URL is refused.
bool parseAndNormalise(const std::string& url) {
  UriUriA uri{};
  const char* errorPos = nullptr;
  bool ok = uriParseSingleUriExA(&uri, url.data(), url.data() + url.size(), &errorPos) == URI_SUCCESS;
  if (ok) {
    unsigned int mask = 0;
    ok = uriNormalizeSyntaxMaskRequiredExA(&uri, &mask) == URI_SUCCESS &&
         (mask == URI_NORMALIZED || uriNormalizeSyntaxExA(&uri, mask) == URI_SUCCESS);
  }
  uriFreeUriMembersA(&uri);
  return ok;
}

void hashFor(size_t u) {
  for (size_t h = corpus.hashStart[u]; h < corpus.hashStart[u + 1]; ++h) {
    const std::string& s = corpus.hashed[h];
    benchmark::DoNotOptimize(__real__ZN3kiv5keyOfEPKvm(s.data(), s.size()));
  }
}

// Each thread starts at its own place in the URL list.
size_t firstUrl(const benchmark::State& state) {
  return static_cast<size_t>(state.thread_index()) * corpus.urls.size() / static_cast<size_t>(state.threads());
}

void Check(benchmark::State& state) {
  size_t u = firstUrl(state), n = corpus.urls.size();
  for (auto _ : state) {
    const std::string& url = corpus.urls[u];
    benchmark::DoNotOptimize(corpus.list->check(url.data(), url.size()));
    if (++u == n) u = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void Floor(benchmark::State& state) {
  size_t u = firstUrl(state), n = corpus.urls.size();
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseAndNormalise(corpus.urls[u]));
    hashFor(u);
    if (++u == n) u = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void ParseNormalise(benchmark::State& state) {
  size_t u = firstUrl(state), n = corpus.urls.size();
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseAndNormalise(corpus.urls[u]));
    if (++u == n) u = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void Sha1s(benchmark::State& state) {
  size_t u = firstUrl(state), n = corpus.urls.size();
  for (auto _ : state) {
    hashFor(u);
    if (++u == n) u = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

// Keeps each run's URLs per second, by benchmark and thread count, for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      auto rate = run.counters.find("items_per_second");
      if (rate == run.counters.end()) continue;
      std::string name = run.run_name.function_name;
      rates[name + "/" + std::to_string(run.threads)] = rate->second.value;
    }
  }
  double rate(const std::string& name, int threads) const {
    auto found = rates.find(name + "/" + std::to_string(threads));
    return found == rates.end() ? 0 : found->second;
  }

 private:
  std::map<std::string, double> rates;
};

// Removes "--name=value" from the arguments and returns value, or fallback.
long takeOption(int* argc, char** argv, const char* name, long fallback) {
  size_t n = std::strlen(name);
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp(argv[i], name, n) != 0 || argv[i][n] != '=') continue;
    long value = std::strtol(argv[i] + n + 1, nullptr, 10);
    for (int j = i; j + 1 < *argc; ++j) argv[j] = argv[j + 1];
    --*argc;
    return value > 0 ? value : fallback;
  }
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  long domains = takeOption(&argc, argv, "--kiv_domains", 1000000);
  long urls = takeOption(&argc, argv, "--kiv_urls", 200000);
  std::string exportFolder;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--kiv_export=", 13) != 0) continue;
    exportFolder = argv[i] + 13;
    for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
    --argc;
    break;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

  corpus.listPath = (std::filesystem::temp_directory_path() / ("kivbench-" + std::to_string(std::random_device()()) + ".kiv")).string();
  int status = 0;
  try {
    writeList(static_cast<uint32_t>(domains));
    corpus.list = kiv::URLList::create(corpus.listPath.c_str(), 0);
    makeUrls(static_cast<size_t>(urls));
    recordHashes();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kivbench: %s\n", error.what());
    std::filesystem::remove(corpus.listPath);
    return 1;
  }
  if (!exportFolder.empty()) {
    std::filesystem::create_directories(exportFolder);
    std::filesystem::copy_file(corpus.listPath, exportFolder + "/list.kiv",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream out(exportFolder + "/urls.txt");
    for (const std::string& url : corpus.urls) out << url << '\n';
  }
  double hashesPerUrl = static_cast<double>(corpus.hashed.size()) / static_cast<double>(corpus.urls.size());
  std::printf("list: %u domains, %u path entries, %llu bytes, %.2f bytes per domain, written in %.2f s\n",
              corpus.domains, corpus.pathEntries, static_cast<unsigned long long>(corpus.fileSize),
              static_cast<double>(corpus.fileSize) / corpus.domains, corpus.buildSeconds);
  std::printf("urls: %zu (%zu host-hit, %zu path-hit, %zu miss URLs); %zu matched; %.2f SHA-1s per check\n\n",
              corpus.urls.size(), corpus.hostHits, corpus.pathHits, corpus.misses, corpus.matches, hashesPerUrl);
  // Every hit URL is built to match and every miss not to: anything else means the list or
  // the check is not what is being measured.
  if (corpus.matches != corpus.hostHits + corpus.pathHits) {
    std::fprintf(stderr, "kivbench: %zu URLs matched, %zu were built to\n", corpus.matches,
                 corpus.hostHits + corpus.pathHits);
    status = 1;
  }

  for (int threads : {1, 2}) {
    benchmark::RegisterBenchmark("Check", Check)->Threads(threads)->UseRealTime();
    benchmark::RegisterBenchmark("Floor", Floor)->Threads(threads)->UseRealTime();
  }
  benchmark::RegisterBenchmark("ParseNormalise", ParseNormalise)->UseRealTime();
  benchmark::RegisterBenchmark("Sha1s", Sha1s)->UseRealTime();

  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nsummary (URLs per second)\n");
  for (int threads : {1, 2}) {
    double check = reporter.rate("Check", threads), floor = reporter.rate("Floor", threads);
    if (check == 0 || floor == 0) continue;
    std::printf("  %d thread%s: check %.0f/s, floor %.0f/s: a check costs %.2fx the floor\n", threads,
                threads == 1 ? " " : "s", check, floor, floor / check);
  }
  double parse = reporter.rate("ParseNormalise", 1), sha = reporter.rate("Sha1s", 1);
  if (parse > 0 && sha > 0)
    std::printf("  floor parts, 1 thread: parse+normalise %.0f/s, SHA-1s %.0f/s (%.2f per URL)\n", parse, sha,
                hashesPerUrl);
  std::printf("  list file: %.2f bytes per domain\n", static_cast<double>(corpus.fileSize) / corpus.domains);

  corpus.list->release();
  std::filesystem::remove(corpus.listPath);
  benchmark::Shutdown();
  return status;
}
