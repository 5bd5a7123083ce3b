#pragma once
// A small JSON value and writer for the command-line tool's reports: objects keep their keys in
// sorted order and print indented by four spaces.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace dsc::json {

struct Value;
using Object = std::map<std::string, Value>;
using Array = std::vector<Value>;

struct Value {
    std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, std::shared_ptr<Array>,
                 std::shared_ptr<Object>>
        data;

    Value() : data(nullptr) {}
    Value(bool b) : data(b) {}
    Value(int i) : data(std::int64_t{i}) {}
    Value(unsigned i) : data(std::int64_t{i}) {}
    Value(std::int64_t i) : data(i) {}
    Value(std::uint64_t i) : data(static_cast<std::int64_t>(i)) {}
    Value(double d) : data(d) {}
    Value(const char* s) : data(std::string(s)) {}
    Value(std::string s) : data(std::move(s)) {}
    Value(Array a) : data(std::make_shared<Array>(std::move(a))) {}
    Value(Object o) : data(std::make_shared<Object>(std::move(o))) {}
};

// The document, ending with a newline.
std::string write(const Value& value);

} // namespace dsc::json
