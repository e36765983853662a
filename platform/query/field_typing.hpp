#pragma once
// The type and size the engine gives a computed query column: aggregates, arithmetic, concatenation and the
// built-in functions.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qz::query {

// Field type codes as the engine reports them.
namespace field_type {
inline constexpr std::int16_t none = 0;  // the type of Null: takes the other operand's type
inline constexpr std::int16_t boolean = 1;
inline constexpr std::int16_t byte = 2;
inline constexpr std::int16_t integer = 3;
inline constexpr std::int16_t long_integer = 4;
inline constexpr std::int16_t currency = 5;
inline constexpr std::int16_t single = 6;
inline constexpr std::int16_t double_float = 7;
inline constexpr std::int16_t date = 8;
inline constexpr std::int16_t binary = 9;
inline constexpr std::int16_t text = 10;
inline constexpr std::int16_t long_binary = 11;
inline constexpr std::int16_t memo = 12;
inline constexpr std::int16_t guid = 15;
inline constexpr std::int16_t big_int = 16;
inline constexpr std::int16_t decimal = 20;
}  // namespace field_type

struct ValueType {
    std::int16_t type = field_type::none;
    std::int32_t size = 0;
    bool operator==(const ValueType&) const = default;
};

// `type` with the size a computed column of that type has (Text 255, Memo 0, fixed types their width).
ValueType computed(std::int16_t type);

// Variable-length types carry field attribute 2, the others 1.
bool is_variable_length(std::int16_t type);

// The result of `left op right` for an arithmetic operator: + - * / \ ^ Mod.
ValueType arithmetic_type(std::u16string_view op, ValueType left, ValueType right);

// The result of unary minus or plus.
ValueType negation_type(ValueType operand);

// The one type two alternative values share (IIf, Nz, Switch, Choose): the wider number, else Text.
ValueType common_type(ValueType a, ValueType b);

// Count, Sum, Avg, Min, Max, First, Last, StDev, StDevP, Var, VarP.
bool is_aggregate(std::u16string_view function);

// The result of calling `function` (any letter case, with or without a trailing $) on arguments of the
// given types; nullopt when the engine has no such function.
std::optional<ValueType> function_type(std::u16string_view function, const std::vector<ValueType>& arguments);

}  // namespace qz::query
