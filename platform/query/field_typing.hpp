#pragma once
// The type and size the engine gives a computed query column: aggregates, arithmetic, concatenation and the
// built-in functions.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/field_types.hpp"

namespace qz::query {

// Field type codes as the engine reports them, and the type of a value that has none yet.
namespace field_type {
using namespace engine::field_type;
inline constexpr std::int16_t none = 0;  // the type of Null: takes the other operand's type
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
