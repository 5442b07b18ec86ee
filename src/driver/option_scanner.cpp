#include "driver/option_scanner.h"

#include <cstring>

OptionScanner::OptionScanner(int argc, const char* const* argv, const char* options)
    : argc_(argc), argv_(argv), options_(options) {}

int OptionScanner::nextOption() {
  if (word_ != nullptr) {
    ++position_;
    if (word_[position_] == '\0') {
      word_ = nullptr;
      position_ = 0;
      ++index_;
    }
  }
  if (index_ >= argc_) {
    optionArgument_ = Str();
    return EndOfOptions;
  }
  if (word_ == nullptr) {
    const char* word = argv_[index_];
    if (word == nullptr || (word[0] != '-' && word[0] != '/')) {
      optionArgument_ = Str();
      return EndOfOptions;
    }
    if (word[0] == '-' && (word[1] == '-' || word[1] == '\0')) {
      ++index_;
      optionArgument_ = Str();
      return EndOfOptions;
    }
    word_ = word;
    position_ = 1;
  }

  const char c = word_[position_];
  const char* found = (c == ':' || c == '\0') ? nullptr : std::strchr(options_, c);
  if (found == nullptr) {
    // A lone "/" (nothing after the prefix) is a bad option as well; the scan
    // continues with the next argument.
    if (c == '\0') {
      word_ = nullptr;
      position_ = 0;
      ++index_;
    }
    optionArgument_ = Str();
    return '?';
  }
  if (found[1] != ':' && found[1] != '*') {
    optionArgument_ = Str();
    return c;
  }

  const bool required = found[1] == ':';
  int p = position_ + 1;
  if (word_[p] == ':' || word_[p] == '=') ++p;
  const char* argument = nullptr;
  bool separateWord = false;
  if (word_[p] != '\0') {
    argument = word_ + p;
  } else if (index_ + 1 < argc_ && argv_[index_ + 1] != nullptr && argv_[index_ + 1][0] != '-' &&
             argv_[index_ + 1][0] != '/') {
    argument = argv_[index_ + 1];
    separateWord = true;
  }
  if (argument == nullptr && required) {
    optionArgument_ = Str();
    // The word is used up; the next call starts on the following argument.
    word_ = nullptr;
    position_ = 0;
    ++index_;
    return '?';
  }
  optionArgument_ = Str(argument);
  word_ = nullptr;
  position_ = 0;
  index_ += separateWord ? 2 : 1;
  return c;
}
