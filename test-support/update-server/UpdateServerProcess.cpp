// Runs update_server.py as a child process (see UpdateServerProcess.h).
#include "UpdateServerProcess.h"

#include <curl/curl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace quarvo::testing {

namespace {

size_t collect(char* bytes, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(bytes, size * count);
  return size * count;
}

}  // namespace

UpdateServerProcess::UpdateServerProcess(const std::string& root) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execlp(QUARVO_PYTHON, QUARVO_PYTHON, QUARVO_UPDATE_SERVER, "--root", root.c_str(), "--port", "0",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* output = fdopen(out[0], "r");
  char line[128] = {};
  if (output == nullptr || fgets(line, sizeof line, output) == nullptr || sscanf(line, "listening on %d", &port_) != 1) {
    if (output) fclose(output);
    kill();
    throw std::runtime_error("the update server did not start");
  }
  fclose(output);
}

UpdateServerProcess::~UpdateServerProcess() { kill(); }

void UpdateServerProcess::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string UpdateServerProcess::updateUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/update/kiv.php";
}

void UpdateServerProcess::setMode(const std::string& json) { call("/control", &json); }

std::string UpdateServerProcess::requests() { return call("/requests", nullptr); }

std::string UpdateServerProcess::call(const std::string& path, const std::string* body) {
  std::string url = "http://127.0.0.1:" + std::to_string(port_) + path;
  std::string reply;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  if (body) curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, body->c_str());
  CURLcode result = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  if (result != CURLE_OK) throw std::runtime_error(std::string("update server: ") + curl_easy_strerror(result));
  return reply;
}

}  // namespace quarvo::testing
