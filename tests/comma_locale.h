// The locale with a comma as decimal separator that the locale tests run
// under.  TRACKS_COMMA_LOCALE names it; scripts/run-tests sets it, and then a
// missing locale fails the tests.  Without it the tests try ru_RU.UTF-8 and
// are skipped when the system lacks that locale.
#ifndef TRACKS_TESTS_COMMA_LOCALE_H_
#define TRACKS_TESTS_COMMA_LOCALE_H_

#include <gtest/gtest.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace tracks {

struct CommaLocale {
  std::string name;     // empty when the locale cannot be used
  std::string problem;  // why not
  bool required;        // named by TRACKS_COMMA_LOCALE
};

inline CommaLocale find_comma_locale() {
  const char* named = std::getenv("TRACKS_COMMA_LOCALE");
  CommaLocale result{named != nullptr && *named != '\0' ? named : "ru_RU.UTF-8",
                     "", named != nullptr && *named != '\0'};
  locale_t locale = newlocale(LC_ALL_MASK, result.name.c_str(), nullptr);
  if (locale == nullptr) {
    result.problem = "locale " + result.name +
                     " is not installed (.ci/run generates it)";
  } else {
    if (std::strcmp(nl_langinfo_l(RADIXCHAR, locale), ",") != 0) {
      result.problem = "locale " + result.name + " has no decimal comma";
    }
    freelocale(locale);
  }
  if (!result.problem.empty()) result.name.clear();
  return result;
}

}  // namespace tracks

// Starts a locale test: skips it, or fails it when the locale was asked for,
// if the comma locale cannot be used.
#define TRACKS_NEED_COMMA_LOCALE(locale)                     \
  do {                                                       \
    if ((locale).name.empty()) {                             \
      if ((locale).required) FAIL() << (locale).problem;     \
      GTEST_SKIP() << (locale).problem;                      \
    }                                                        \
  } while (0)

#endif  // TRACKS_TESTS_COMMA_LOCALE_H_
