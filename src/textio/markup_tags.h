// The inline markup of the source text, spelled once: the tags a teacher
// writes into the cells (line break, picture, sound, the styles, the
// keep-together run, the colour), as the intake checks them and the
// conversion turns them into device codes.
#pragma once

#include <string_view>

namespace dm::markup {

inline constexpr std::u16string_view kBreak = u"<N>";  // a line break inside a cell

// A picture or sound by file name: <P>name</P>, <V>name</V>.
inline constexpr std::u16string_view kPictureOpen = u"<P>";
inline constexpr std::u16string_view kPictureClose = u"</P>";
inline constexpr std::u16string_view kSoundOpen = u"<V>";
inline constexpr std::u16string_view kSoundClose = u"</V>";

// The one-letter styles: <X>...</X>, each closing form "</" + letter + ">".
inline constexpr char16_t kStyleS = u'S';
inline constexpr char16_t kUnderline = u'U';
inline constexpr char16_t kBold = u'B';
inline constexpr char16_t kItalic = u'I';
inline constexpr char16_t kKeepTogether = u'L';  // the text is not cut inside the run
inline constexpr std::u16string_view kStyleSOpen = u"<S>";
inline constexpr std::u16string_view kStyleSClose = u"</S>";
inline constexpr std::u16string_view kUnderlineOpen = u"<U>";
inline constexpr std::u16string_view kUnderlineClose = u"</U>";
inline constexpr std::u16string_view kBoldOpen = u"<B>";
inline constexpr std::u16string_view kBoldClose = u"</B>";
inline constexpr std::u16string_view kItalicOpen = u"<I>";
inline constexpr std::u16string_view kItalicClose = u"</I>";
inline constexpr std::u16string_view kKeepOpen = u"<L>";
inline constexpr std::u16string_view kKeepClose = u"</L>";

// The GB run.
inline constexpr std::u16string_view kGbOpen = u"<GB>";
inline constexpr std::u16string_view kGbClose = u"</GB>";

// A colour: <TC color="name or six hex digits">...</TC>.
inline constexpr std::u16string_view kColourOpen = u"<TC color=";
inline constexpr std::u16string_view kColourClose = u"</TC>";

}  // namespace dm::markup
