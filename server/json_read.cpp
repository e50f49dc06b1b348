#include "server/json_read.h"

#include <cerrno>
#include <exception>
#include <fstream>
#include <limits>
#include <sstream>

#include <json/reader.h>
#include <json/writer.h>

namespace kest::json {
namespace {

const Json::Value& EmptyArray() {
  static const Json::Value value(Json::arrayValue);
  return value;
}

const Json::Value& EmptyObject() {
  static const Json::Value value(Json::objectValue);
  return value;
}

const Json::Value& Null() {
  static const Json::Value value;
  return value;
}

Expected<Json::Value> ParseStream(std::istream& in) {
  Json::CharReaderBuilder builder;
  builder["allowComments"] = true;
  Json::Value root;
  std::string errors;
  try {
    // The reader throws on nesting deeper than its stack limit; a hostile answer must not
    // take the process down.
    if (!Json::parseFromStream(builder, in, &root, &errors)) return Error{0, errors};
  } catch (const std::exception& e) {
    return Error{0, e.what()};
  }
  return root;
}

}  // namespace

const Json::Value& Member(const Json::Value& object, std::string_view key) {
  if (!object.isObject()) return Null();
  const Json::Value* found = object.find(key.data(), key.data() + key.size());
  return found ? *found : Null();
}

bool IsInt32(const Json::Value& value) {
  // Also holds for a number written with a fraction but an integral value (4000.0); never for
  // text ("4000"), booleans or null.
  return value.isInt();
}

int32_t AsInt(const Json::Value& value) {
  if (!IsInt32(value)) return 0;
  try {
    return value.asInt();
  } catch (const std::exception&) {
    return 0;
  }
}

std::string AsString(const Json::Value& value) {
  return value.isString() ? value.asString() : std::string();
}

int32_t ReadInt(const Json::Value& object, std::string_view key) {
  return AsInt(Member(object, key));
}

std::string ReadString(const Json::Value& object, std::string_view key) {
  return AsString(Member(object, key));
}

const Json::Value& ReadArray(const Json::Value& object, std::string_view key) {
  const Json::Value& value = Member(object, key);
  return value.isArray() ? value : EmptyArray();
}

const Json::Value& ReadObject(const Json::Value& object, std::string_view key) {
  const Json::Value& value = Member(object, key);
  return value.isObject() ? value : EmptyObject();
}

Expected<Json::Value> ParseFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return ErrnoError("cannot open " + path);
  return ParseStream(in);
}

Expected<Json::Value> ParseText(std::string_view text) {
  std::istringstream in{std::string(text)};
  return ParseStream(in);
}

std::string Write(const Json::Value& value, bool indent) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = indent ? "  " : "";
  builder["emitUTF8"] = true;
  try {
    return Json::writeString(builder, value);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace kest::json
