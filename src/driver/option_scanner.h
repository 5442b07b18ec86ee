// A cursor over the argument vector that returns one option letter at a
// time, in the manner of getopt with "-" and "/" as option prefixes.
#pragma once

#include "driver/str.h"

class OptionScanner {
 public:
  static constexpr int EndOfOptions = -1;

  /// `options` lists the letters; a ":" after a letter marks a required
  /// argument, a "*" an optional one.
  OptionScanner(int argc, const char* const* argv, const char* options);

  /// The next option character, '?' for an unknown option or a missing
  /// required argument, or EndOfOptions.
  int nextOption();

  /// The argument of the option just returned (empty when it has none).
  const Str& optionArgument() const { return optionArgument_; }
  /// Index of the first argument not consumed.
  int index() const { return index_; }

 private:
  int argc_;
  const char* const* argv_;
  const char* options_;
  int index_ = 1;
  Str optionArgument_;
  const char* word_ = nullptr;  // current option word, null between words
  int position_ = 0;            // index of the option character in word_
};
