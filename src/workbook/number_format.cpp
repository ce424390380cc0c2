#include "workbook/number_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace dm::workbook {

namespace {

// A decimal value as digits and an exponent: value = 0.d1d2d3... * 10^point.
struct Decimal {
  std::string digits;  // no leading zeros; empty for zero
  int point = 0;       // position of the decimal point from the left of digits
};

// The value rounded to 15 significant digits, as the spreadsheet stores and
// shows it (so 2.345 rounds up to 2.35 as a decimal would).
Decimal decimalOf(double value) {
  Decimal d;
  value = std::fabs(value);
  if (value == 0 || !std::isfinite(value)) return d;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  // d.dddddddddddddde[+-]xx
  std::string text(buffer);
  const std::size_t e = text.find('e');
  d.digits = text.substr(0, 1) + text.substr(2, e - 2);
  d.point = std::atoi(text.c_str() + e + 1) + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Rounds half away from zero to `decimals` places after the point.
Decimal roundedTo(Decimal d, int decimals) {
  const int keep = d.point + decimals;
  if (static_cast<int>(d.digits.size()) <= keep) return d;
  if (keep < 0) return Decimal{};
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int k = keep - 1;
    while (k >= 0 && d.digits[static_cast<std::size_t>(k)] == '9') d.digits[static_cast<std::size_t>(k--)] = '0';
    if (k < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    } else {
      ++d.digits[static_cast<std::size_t>(k)];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.point = 0;
  return d;
}

// Digit k of the integer part counted from the point leftwards (0 = units).
char digitAt(const Decimal& d, int position) {
  // position: index into digits from the left.
  return position >= 0 && position < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(position)]
                                                                        : '0';
}

std::string integerDigits(const Decimal& d) {
  std::string out;
  for (int k = 0; k < d.point; ++k) out.push_back(digitAt(d, k));
  return out;
}

std::string fractionDigits(const Decimal& d, int count) {
  std::string out;
  for (int k = 0; k < count; ++k) out.push_back(digitAt(d, d.point + k));
  return out;
}

std::string fixedText(const Decimal& d) {
  std::string whole = integerDigits(d);
  if (whole.empty()) whole = "0";
  const int fractionLength = static_cast<int>(d.digits.size()) - d.point;
  const std::string fraction = fractionLength > 0 ? fractionDigits(d, fractionLength) : std::string();
  return fraction.empty() ? whole : whole + "." + fraction;
}

// The exponent of the General format: "E-15", but "E+020" (three digits
// when positive), as the spreadsheet writes them.
std::string exponentText(int exponent) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, exponent < 0 ? "E-%02d" : "E+%03d", std::abs(exponent));
  return buffer;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

// The sections of a code split at ';' outside quotes and brackets.
std::vector<std::string> sectionsOf(std::string_view code) {
  std::vector<std::string> sections(1);
  bool quoted = false;
  bool bracket = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '\\' && !quoted && i + 1 < code.size()) {
      sections.back() += code.substr(i, 2);
      ++i;
      continue;
    }
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '[') bracket = true;
    if (!quoted && c == ']') bracket = false;
    if (c == ';' && !quoted && !bracket) {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

// One element of a section.
struct Token {
  enum Kind { Literal, Digit, Point, Comma, Percent, Exponent, Date, Elapsed, AmPm, Text, General } kind;
  std::string text;  // literal text, digit placeholder, date code ("yyyy", "m", ...)
};

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::vector<Token> tokensOf(std::string_view s) {
  std::vector<Token> tokens;
  auto literal = [&](std::string text) {
    if (!tokens.empty() && tokens.back().kind == Token::Literal)
      tokens.back().text += text;
    else
      tokens.push_back({Token::Literal, std::move(text)});
  };
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    const char l = lower(c);
    if (c == '"') {
      const std::size_t close = s.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? s.size() : close;
      literal(std::string(s.substr(i + 1, end - i - 1)));
      i = end + 1;
    } else if (c == '\\' && i + 1 < s.size()) {
      literal(std::string(1, s[i + 1]));
      i += 2;
    } else if (c == '_' && i + 1 < s.size()) {
      literal(" ");
      i += 2;
    } else if (c == '*' && i + 1 < s.size()) {
      i += 2;
    } else if (c == '[') {
      const std::size_t close = s.find(']', i);
      const std::size_t end = close == std::string_view::npos ? s.size() : close;
      std::string inner(s.substr(i + 1, end - i - 1));
      std::string low;
      for (char ch : inner) low.push_back(lower(ch));
      if (!low.empty() && (low.find_first_not_of('h') == std::string::npos ||
                           low.find_first_not_of('m') == std::string::npos ||
                           low.find_first_not_of('s') == std::string::npos)) {
        tokens.push_back({Token::Elapsed, low});
      } else if (low.starts_with("$")) {
        // A currency or locale: "[$¥-411]" shows "¥", "[$-411]" nothing.
        const std::size_t dash = inner.find('-');
        literal(inner.substr(1, dash == std::string::npos ? std::string::npos : dash - 1));
      }
      i = end + 1;
    } else if (startsWithNoCase(s.substr(i), "general")) {
      tokens.push_back({Token::General, ""});
      i += 7;
    } else if (startsWithNoCase(s.substr(i), "am/pm")) {
      tokens.push_back({Token::AmPm, "am/pm"});
      i += 5;
    } else if (startsWithNoCase(s.substr(i), "a/p")) {
      tokens.push_back({Token::AmPm, "a/p"});
      i += 3;
    } else if (c == '0' || c == '#' || c == '?') {
      tokens.push_back({Token::Digit, std::string(1, c)});
      ++i;
    } else if (c == '.') {
      tokens.push_back({Token::Point, "."});
      ++i;
    } else if (c == ',') {
      tokens.push_back({Token::Comma, ","});
      ++i;
    } else if (c == '%') {
      tokens.push_back({Token::Percent, "%"});
      ++i;
    } else if ((l == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
      tokens.push_back({Token::Exponent, std::string(s.substr(i, 2))});
      i += 2;
    } else if (c == '@') {
      tokens.push_back({Token::Text, "@"});
      ++i;
    } else if (l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 's') {
      std::size_t j = i;
      while (j < s.size() && lower(s[j]) == l) ++j;
      tokens.push_back({Token::Date, std::string(j - i, l)});
      i = j;
    } else {
      literal(std::string(1, c));
      ++i;
    }
  }
  return tokens;
}

bool isDateSection(const std::vector<Token>& tokens) {
  for (const Token& t : tokens)
    if (t.kind == Token::Date || t.kind == Token::Elapsed || t.kind == Token::AmPm) return true;
  return false;
}

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

std::string twoDigits(std::int64_t n) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%02lld", static_cast<long long>(n));
  return buffer;
}

// The civil date of a day count from 1899-12-30.
void civilFromSerial(std::int64_t serial, int& year, int& month, int& day, int& weekday) {
  std::int64_t z = serial - 25569 + 719468;  // days from 1970-01-01, shifted to 0000-03-01
  weekday = static_cast<int>(((serial - 1) % 7 + 7) % 7);  // 1899-12-31 was a Sunday
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string formatDate(double value, const std::vector<Token>& tokens, bool date1904) {
  if (!std::isfinite(value) || std::fabs(value) > 3e6) return generalNumber(value);
  const bool negative = value < 0;
  // Whole seconds, cut (not rounded) after the product is taken to 15
  // significant digits: 29.99999999999998 s is 30 s, 59.6 s is 59 s.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value) * 86400.0);
  const std::int64_t seconds = static_cast<std::int64_t>(std::floor(std::strtod(buffer, nullptr)));
  const std::int64_t days = seconds / 86400;
  const std::int64_t daySeconds = seconds % 86400;
  int year = 0, month = 0, day = 0, weekday = 0;
  civilFromSerial(days + (date1904 ? 1462 : 0), year, month, day, weekday);
  bool amPm = false;
  for (const Token& t : tokens) amPm |= t.kind == Token::AmPm;
  std::int64_t hour = daySeconds / 3600;
  const std::int64_t minute = daySeconds / 60 % 60;
  const std::int64_t second = daySeconds % 60;

  // Which "m" is a minute: right after an hour or right before a second.
  std::vector<bool> minuteAt(tokens.size(), false);
  int lastTime = -1;  // index of the last hour token
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    if (t.kind == Token::Date && t.text[0] == 'h') lastTime = static_cast<int>(k);
    if (t.kind == Token::Elapsed && t.text[0] == 'h') lastTime = static_cast<int>(k);
    if (t.kind == Token::Date && t.text[0] == 'm' && t.text.size() <= 2) {
      if (lastTime >= 0) {
        minuteAt[k] = true;
        lastTime = -1;
        continue;
      }
      for (std::size_t j = k + 1; j < tokens.size(); ++j) {
        if (tokens[j].kind == Token::Literal) continue;
        if ((tokens[j].kind == Token::Date || tokens[j].kind == Token::Elapsed) && tokens[j].text[0] == 's')
          minuteAt[k] = true;
        break;
      }
    }
  }

  std::string out = negative ? "-" : "";
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const Token& t = tokens[k];
    const std::size_t n = t.text.size();
    switch (t.kind) {
      case Token::Literal:
        out += t.text;
        break;
      case Token::Elapsed: {
        const std::int64_t total = t.text[0] == 'h' ? seconds / 3600 : t.text[0] == 'm' ? seconds / 60 : seconds;
        out += n >= 2 ? twoDigits(total) : std::to_string(total);
        break;
      }
      case Token::AmPm:
        out += t.text == "am/pm" ? (hour < 12 ? "AM" : "PM") : (hour < 12 ? "A" : "P");
        break;
      case Token::Date: {
        const char c = t.text[0];
        if (c == 'y') {
          out += n <= 2 ? twoDigits(year % 100) : std::to_string(year);
        } else if (c == 'd') {
          out += n == 1 ? std::to_string(day) : n == 2 ? twoDigits(day)
                 : n == 3 ? std::string(kDays[static_cast<std::size_t>(weekday)]).substr(0, 3)
                          : std::string(kDays[static_cast<std::size_t>(weekday)]);
        } else if (c == 'h') {
          std::int64_t h = hour;
          if (amPm) h = h % 12 == 0 ? 12 : h % 12;
          out += n >= 2 ? twoDigits(h) : std::to_string(h);
        } else if (c == 's') {
          out += n >= 2 ? twoDigits(second) : std::to_string(second);
        } else if (minuteAt[k]) {
          out += n >= 2 ? twoDigits(minute) : std::to_string(minute);
        } else {
          const std::string name = kMonths[static_cast<std::size_t>(month - 1)];
          out += n == 1 ? std::to_string(month) : n == 2 ? twoDigits(month) : n == 3 ? name.substr(0, 3)
                 : n == 5                                ? name.substr(0, 1)
                                                         : name;
        }
        break;
      }
      default:
        break;
    }
  }
  return out;
}

std::string grouped(const std::string& digits) {
  std::string out;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string formatPlain(double value, const std::vector<Token>& tokens) {
  // The number's pattern: placeholders before and after the point.
  int integerZeros = 0, integerPlaces = 0, fractionZeros = 0, fractionPlaces = 0, percents = 0;
  bool point = false, grouping = false, exponent = false, seenDigit = false;
  int exponentDigits = 0;
  for (const Token& t : tokens) {
    if (t.kind == Token::Digit) {
      seenDigit = true;
      if (exponent) {
        ++exponentDigits;
      } else if (point) {
        ++fractionPlaces;
        fractionZeros += t.text == "0";
      } else {
        ++integerPlaces;
        integerZeros += t.text == "0";
      }
    } else if (t.kind == Token::Point && !exponent) {
      point = true;
    } else if (t.kind == Token::Comma && seenDigit && !point) {
      grouping = true;
    } else if (t.kind == Token::Percent) {
      ++percents;
    } else if (t.kind == Token::Exponent) {
      exponent = true;
    }
  }
  if (!seenDigit) {
    // Only literals: the section is its text.
    std::string out;
    for (const Token& t : tokens)
      if (t.kind == Token::Literal || t.kind == Token::Percent) out += t.text;
    return out;
  }
  for (int k = 0; k < percents; ++k) value *= 100;

  std::string number;
  Decimal d = decimalOf(value);
  if (exponent) {
    int power = d.digits.empty() ? 0 : d.point - std::max(integerPlaces, 1);
    Decimal mantissa = d;
    mantissa.point -= power;
    mantissa = roundedTo(mantissa, fractionPlaces);
    if (!mantissa.digits.empty() && mantissa.point > std::max(integerPlaces, 1)) {
      ++power;
      --mantissa.point;
    }
    std::string whole = integerDigits(mantissa);
    while (static_cast<int>(whole.size()) < integerZeros) whole.insert(whole.begin(), '0');
    std::string fraction = fractionDigits(mantissa, fractionPlaces);
    while (static_cast<int>(fraction.size()) > fractionZeros && !fraction.empty() && fraction.back() == '0')
      fraction.pop_back();
    number = whole + (fraction.empty() && fractionPlaces == 0 ? "" : "." + fraction);
    std::string digits = std::to_string(std::abs(power));
    while (static_cast<int>(digits.size()) < std::min(exponentDigits, 8)) digits.insert(digits.begin(), '0');
    number += "E";
    number += power < 0 ? "-" : "+";
    number += digits;
  } else {
    d = roundedTo(d, fractionPlaces);
    std::string whole = integerDigits(d);
    while (static_cast<int>(whole.size()) < integerZeros) whole.insert(whole.begin(), '0');
    if (grouping) whole = grouped(whole);
    std::string fraction = fractionDigits(d, fractionPlaces);
    while (static_cast<int>(fraction.size()) > fractionZeros && !fraction.empty() && fraction.back() == '0')
      fraction.pop_back();
    number = whole;
    if (point && (!fraction.empty() || fractionPlaces == 0)) number += "." + fraction;
    if (point && fractionPlaces > 0 && fraction.empty()) number += ".";
  }

  // Literals before the first placeholder and after the last one.
  std::string prefix, suffix;
  bool before = true;
  for (const Token& t : tokens) {
    if (t.kind == Token::Digit || t.kind == Token::Point || t.kind == Token::Exponent ||
        (t.kind == Token::Comma && !before)) {
      before = false;
      suffix.clear();
      continue;
    }
    if (t.kind == Token::Literal || t.kind == Token::Percent) (before ? prefix : suffix) += t.text;
  }
  return prefix + number + suffix;
}

}  // namespace

std::string builtinFormatCode(unsigned id) {
  switch (id) {
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 14: return "mm/dd/yy";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "m/d/yy h:mm";
    case 37: return "#,##0 ;(#,##0)";
    case 38: return "#,##0 ;[Red](#,##0)";
    case 39: return "#,##0.00;(#,##0.00)";
    case 40: return "#,##0.00;[Red](#,##0.00)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mmss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    default: return "General";
  }
}

std::string generalNumber(double value) {
  if (!std::isfinite(value)) return value != value ? "NaN" : value < 0 ? "-inf" : "inf";
  const std::string sign = value < 0 ? "-" : "";
  // A whole number below 10^16 is shown with all its digits.
  if (std::fabs(value) < 1e16 && value == std::trunc(value)) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(value));
    return sign + buffer;
  }
  const Decimal d = decimalOf(value);
  if (d.digits.empty()) return "0";
  const int exponent = d.point - 1;
  if (exponent >= 15 || exponent <= -15) {
    std::string mantissa = d.digits.substr(0, 1);
    if (d.digits.size() > 1) mantissa += "." + d.digits.substr(1);
    return sign + mantissa + exponentText(exponent);
  }
  return sign + fixedText(d);
}

std::string formatNumber(double value, std::string_view code, bool date1904) {
  std::vector<std::string> sections = sectionsOf(code);
  std::size_t pick = 0;
  bool signShown = true;
  if (value < 0 && sections.size() >= 2) {
    pick = 1;
    signShown = false;
  } else if (value == 0 && sections.size() >= 3) {
    pick = 2;
  }
  const std::vector<Token> tokens = tokensOf(sections[pick]);
  if (tokens.empty() && pick == 0) return generalNumber(value);
  for (const Token& t : tokens) {
    if (t.kind == Token::General) {
      std::string out;
      const double shown = signShown ? value : std::fabs(value);
      for (const Token& u : tokens) out += u.kind == Token::General ? generalNumber(shown) : u.kind == Token::Literal ? u.text : "";
      return out;
    }
  }
  if (isDateSection(tokens)) return formatDate(value, tokens, date1904);
  std::string text = formatPlain(signShown ? std::fabs(value) : std::fabs(value), tokens);
  // A negative value shown by the first section keeps its sign, unless it
  // rounds to zero.
  bool anyDigit = false;
  for (char c : text) anyDigit |= c >= '1' && c <= '9';
  if (signShown && value < 0 && anyDigit) text = "-" + text;
  return text;
}

}  // namespace dm::workbook
