#pragma once
// Reading server answers without surprises. JsonCpp's accessors throw on a wrong type (asInt on
// a string, operator[] with a key on an array, ...); answers come from outside, so every read
// of an answer goes through these, which never throw: a member that is missing or of another
// type reads as 0, an empty string, an empty array or an empty object.

#include <cstdint>
#include <string>
#include <string_view>

#include <json/value.h>

#include "platform/expected.h"

namespace kest::json {

// The member `key` of `object`; a null value when `object` is no object or lacks the key.
const Json::Value& Member(const Json::Value& object, std::string_view key);

// Conversions of a value itself.
bool IsInt32(const Json::Value& value);  // an integer (or integral number) in int32 range
int32_t AsInt(const Json::Value& value);        // 0 unless IsInt32
std::string AsString(const Json::Value& value);  // "" unless a string

// Members: ReadArray/ReadObject give an empty array/object on a missing or wrong member, so
// the result can be iterated (for (const auto& e : ReadArray(...))) and indexed safely.
int32_t ReadInt(const Json::Value& object, std::string_view key);
std::string ReadString(const Json::Value& object, std::string_view key);
const Json::Value& ReadArray(const Json::Value& object, std::string_view key);
const Json::Value& ReadObject(const Json::Value& object, std::string_view key);

// Parses a whole file (comments allowed, as the answers' reader always did). Fails on a file
// that cannot be opened (code ENOENT/EACCES...) or that is not one JSON document (code 0).
// Never throws, also not on hostile nesting depth.
Expected<Json::Value> ParseFile(const std::string& path);
Expected<Json::Value> ParseText(std::string_view text);

// Compact UTF-8 text of a value (for answers and catalogue files).
std::string Write(const Json::Value& value, bool indent = false);

}  // namespace kest::json
