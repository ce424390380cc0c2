#include "workbook/xml_stream.h"

#include <expat.h>

#include <exception>
#include <memory>

#include "platform/failure.h"

namespace dm::workbook {

std::string_view localName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const char* attribute(const char** attributes, std::string_view name) {
  for (const char** a = attributes; a && a[0]; a += 2)
    if (localName(a[0]) == name) return a[1];
  return nullptr;
}

namespace {

// The handler and the first exception it threw: expat is C and must not be
// unwound through, so the parse is stopped and the exception thrown after.
struct ParseState {
  XmlHandler* handler;
  XML_Parser parser;
  std::exception_ptr failure;
};

template <typename Call>
void guardedCall(void* data, Call call) {
  auto* state = static_cast<ParseState*>(data);
  if (state->failure) return;
  try {
    call(*state->handler);
  } catch (...) {
    state->failure = std::current_exception();
    XML_StopParser(state->parser, XML_FALSE);
  }
}

void onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  guardedCall(data, [&](XmlHandler& h) { h.start(localName(name), attributes); });
}

void onEnd(void* data, const XML_Char* name) {
  guardedCall(data, [&](XmlHandler& h) { h.end(localName(name)); });
}

// A workbook's parts declare no entities; a part that does is refused
// rather than expanded.
void onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
              const XML_Char*, const XML_Char*) {
  guardedCall(data, [](XmlHandler&) { throw PassFailure("declares entities"); });
}

void onText(void* data, const XML_Char* text, int length) {
  guardedCall(data, [&](XmlHandler& h) { h.text(std::string_view(text, static_cast<std::size_t>(length))); });
}

struct ParserFree {
  void operator()(XML_Parser p) const { XML_ParserFree(p); }
};

}  // namespace

void parsePart(ZipPackage& package, const std::string& part, XmlHandler& handler) {
  std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree> parser(XML_ParserCreate(nullptr));
  if (!parser) throw std::bad_alloc();
  ParseState state{&handler, parser.get(), nullptr};
  XML_SetUserData(parser.get(), &state);
  XML_SetElementHandler(parser.get(), onStart, onEnd);
  XML_SetCharacterDataHandler(parser.get(), onText);
  XML_SetEntityDeclHandler(parser.get(), onEntity);
  auto fail = [&] {
    if (state.failure) {
      try {
        std::rethrow_exception(state.failure);
      } catch (const PassFailure& failure) {
        if (std::string_view(failure.what()) == "declares entities")
          throw PassFailure("The workbook " + package.label() + " is damaged: its part " + part +
                            " declares entities, which no workbook does.");
        throw;
      }
    }
    throw PassFailure("The workbook " + package.label() + " is damaged: its part " + part + " is no well-formed XML (" +
                      XML_ErrorString(XML_GetErrorCode(parser.get())) + " at line " +
                      std::to_string(XML_GetCurrentLineNumber(parser.get())) + ").");
  };
  package.read(part, [&](std::string_view piece) {
    if (XML_Parse(parser.get(), piece.data(), static_cast<int>(piece.size()), XML_FALSE) != XML_STATUS_OK) fail();
  });
  if (XML_Parse(parser.get(), "", 0, XML_TRUE) != XML_STATUS_OK) fail();
  if (state.failure) std::rethrow_exception(state.failure);
}

}  // namespace dm::workbook
