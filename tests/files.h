// Whole files as strings, and scratch files: ctest runs the tests in parallel
// processes, so each process keeps its own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

inline std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The path of this process's scratch file `name`, which now holds `bytes`.
inline std::string scratch(const std::string& name, const std::string& bytes = "") {
  std::string path = ::testing::TempDir() + std::to_string(getpid()) + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}
