#include "platform/query/field_typing.hpp"

#include <algorithm>
#include <array>

#include "platform/query/names.hpp"

namespace qz::query {

namespace {

using namespace field_type;

bool is_text(std::int16_t type) { return type == text || type == memo; }

bool is_integral(std::int16_t type) {
    return type == boolean || type == byte || type == integer || type == long_integer;
}

bool is_number(std::int16_t type) {
    return is_integral(type) || type == currency || type == single || type == double_float || type == decimal ||
           type == big_int;
}

// Order of widening among the plain numbers: a Yes/No value counts as an Integer.
int width_rank(std::int16_t type) {
    switch (type) {
        case byte: return 1;
        case boolean:
        case integer: return 2;
        case long_integer: return 3;
        case single: return 4;
        default: return 5;
    }
}

std::int16_t wider_number(std::int16_t a, std::int16_t b) {
    if (a == decimal || b == decimal) return decimal;
    if (a == big_int || b == big_int) return is_integral(a) || is_integral(b) || a == b ? big_int : double_float;
    if (a == currency || b == currency) {
        const std::int16_t other = a == currency ? b : a;
        return other == single || other == double_float ? double_float : currency;
    }
    const std::int16_t wider = width_rank(a) >= width_rank(b) ? a : b;
    return wider == boolean ? integer : wider;
}

std::int16_t integer_division_type(std::int16_t a, std::int16_t b) {
    const std::int16_t wider = wider_number(a, b);
    if (wider == byte || wider == integer || wider == boolean) return wider == byte ? byte : integer;
    return wider == big_int ? big_int : long_integer;
}

enum class Rule {
    date, integer, long_integer, double_float, single, currency, byte, boolean, decimal, text,
    first_argument,   // Min, Max, First, Last, Abs, Int, Fix, Round
    sum, average,
    choice,           // IIf: arguments 2 and 3
    first_or_second,  // Nz
    switch_values,    // Switch: arguments 2, 4, 6 ...
    choose_values,    // Choose: arguments 2 onwards
};

struct FunctionRule {
    std::u16string_view name;
    Rule rule;
};

constexpr std::array functions = {
    FunctionRule{u"Count", Rule::long_integer},   FunctionRule{u"Sum", Rule::sum},
    FunctionRule{u"Avg", Rule::average},          FunctionRule{u"Min", Rule::first_argument},
    FunctionRule{u"Max", Rule::first_argument},   FunctionRule{u"First", Rule::first_argument},
    FunctionRule{u"Last", Rule::first_argument},  FunctionRule{u"StDev", Rule::double_float},
    FunctionRule{u"StDevP", Rule::double_float},  FunctionRule{u"Var", Rule::double_float},
    FunctionRule{u"VarP", Rule::double_float},

    FunctionRule{u"IIf", Rule::choice},           FunctionRule{u"Nz", Rule::first_or_second},
    FunctionRule{u"Switch", Rule::switch_values}, FunctionRule{u"Choose", Rule::choose_values},

    FunctionRule{u"Date", Rule::date},            FunctionRule{u"Now", Rule::date},
    FunctionRule{u"Time", Rule::date},            FunctionRule{u"DateSerial", Rule::date},
    FunctionRule{u"DateAdd", Rule::date},         FunctionRule{u"DateValue", Rule::date},
    FunctionRule{u"TimeSerial", Rule::date},      FunctionRule{u"TimeValue", Rule::date},
    FunctionRule{u"CDate", Rule::date},           FunctionRule{u"CVDate", Rule::date},
    FunctionRule{u"Year", Rule::integer},         FunctionRule{u"Month", Rule::integer},
    FunctionRule{u"Day", Rule::integer},          FunctionRule{u"Weekday", Rule::integer},
    FunctionRule{u"Hour", Rule::integer},         FunctionRule{u"Minute", Rule::integer},
    FunctionRule{u"Second", Rule::integer},       FunctionRule{u"DatePart", Rule::integer},
    FunctionRule{u"DateDiff", Rule::long_integer},

    FunctionRule{u"Left", Rule::text},            FunctionRule{u"Right", Rule::text},
    FunctionRule{u"Mid", Rule::text},             FunctionRule{u"Trim", Rule::text},
    FunctionRule{u"LTrim", Rule::text},           FunctionRule{u"RTrim", Rule::text},
    FunctionRule{u"UCase", Rule::text},           FunctionRule{u"LCase", Rule::text},
    FunctionRule{u"Format", Rule::text},          FunctionRule{u"FormatNumber", Rule::text},
    FunctionRule{u"FormatCurrency", Rule::text},  FunctionRule{u"FormatDateTime", Rule::text},
    FunctionRule{u"FormatPercent", Rule::text},   FunctionRule{u"Str", Rule::text},
    FunctionRule{u"Chr", Rule::text},             FunctionRule{u"ChrW", Rule::text},
    FunctionRule{u"Space", Rule::text},           FunctionRule{u"String", Rule::text},
    FunctionRule{u"Replace", Rule::text},         FunctionRule{u"StrConv", Rule::text},
    FunctionRule{u"StrReverse", Rule::text},      FunctionRule{u"CStr", Rule::text},
    FunctionRule{u"CVar", Rule::text},            FunctionRule{u"Hex", Rule::text},
    FunctionRule{u"Oct", Rule::text},             FunctionRule{u"MonthName", Rule::text},
    FunctionRule{u"WeekdayName", Rule::text},     FunctionRule{u"Partition", Rule::text},
    FunctionRule{u"CurrentUser", Rule::text},     FunctionRule{u"Environ", Rule::text},
    FunctionRule{u"DLookup", Rule::text},         FunctionRule{u"DMin", Rule::text},
    FunctionRule{u"DMax", Rule::text},            FunctionRule{u"DFirst", Rule::text},
    FunctionRule{u"DLast", Rule::text},

    FunctionRule{u"Len", Rule::long_integer},     FunctionRule{u"InStr", Rule::long_integer},
    FunctionRule{u"InStrRev", Rule::long_integer}, FunctionRule{u"CLng", Rule::long_integer},
    FunctionRule{u"DCount", Rule::long_integer},  FunctionRule{u"CInt", Rule::integer},
    FunctionRule{u"Asc", Rule::integer},          FunctionRule{u"AscW", Rule::integer},
    FunctionRule{u"Sgn", Rule::integer},          FunctionRule{u"StrComp", Rule::integer},
    FunctionRule{u"CDbl", Rule::double_float},    FunctionRule{u"Val", Rule::double_float},
    FunctionRule{u"Sqr", Rule::double_float},     FunctionRule{u"Exp", Rule::double_float},
    FunctionRule{u"Log", Rule::double_float},     FunctionRule{u"Sin", Rule::double_float},
    FunctionRule{u"Cos", Rule::double_float},     FunctionRule{u"Tan", Rule::double_float},
    FunctionRule{u"Atn", Rule::double_float},     FunctionRule{u"Rnd", Rule::double_float},
    FunctionRule{u"DSum", Rule::double_float},    FunctionRule{u"DAvg", Rule::double_float},
    FunctionRule{u"DStDev", Rule::double_float},  FunctionRule{u"DStDevP", Rule::double_float},
    FunctionRule{u"DVar", Rule::double_float},    FunctionRule{u"DVarP", Rule::double_float},
    FunctionRule{u"CSng", Rule::single},          FunctionRule{u"CCur", Rule::currency},
    FunctionRule{u"CByte", Rule::byte},           FunctionRule{u"CBool", Rule::boolean},
    FunctionRule{u"IsNull", Rule::boolean},       FunctionRule{u"IsNumeric", Rule::boolean},
    FunctionRule{u"IsDate", Rule::boolean},       FunctionRule{u"IsEmpty", Rule::boolean},
    FunctionRule{u"IsError", Rule::boolean},      FunctionRule{u"CDec", Rule::decimal},
    FunctionRule{u"Abs", Rule::first_argument},   FunctionRule{u"Int", Rule::first_argument},
    FunctionRule{u"Fix", Rule::first_argument},   FunctionRule{u"Round", Rule::first_argument},
};

const FunctionRule* find_function(std::u16string_view name) {
    if (!name.empty() && name.back() == u'$') name.remove_suffix(1);
    for (const FunctionRule& function : functions) {
        if (same_name(function.name, name)) return &function;
    }
    return nullptr;
}

ValueType sum_type(ValueType argument) {
    if (is_integral(argument.type)) return computed(long_integer);
    if (argument.type == currency || argument.type == decimal || argument.type == big_int || argument.type == date) {
        return computed(argument.type);
    }
    return computed(double_float);
}

ValueType average_type(ValueType argument) {
    if (argument.type == currency || argument.type == decimal) return computed(argument.type);
    return computed(double_float);
}

ValueType common_of(const std::vector<ValueType>& arguments, std::size_t first, std::size_t step) {
    ValueType result;
    for (std::size_t i = first; i < arguments.size(); i += step) result = common_type(result, arguments[i]);
    return result;
}

ValueType argument_or_none(const std::vector<ValueType>& arguments, std::size_t index) {
    return index < arguments.size() ? arguments[index] : ValueType{};
}

}  // namespace

ValueType computed(std::int16_t type) {
    // A computed Text column is as wide as the longest text; Memo and the binary types report no size.
    return {type, type == text ? 255 : fixed_size(type)};
}

bool is_variable_length(std::int16_t type) {
    return type == text || type == memo || type == binary || type == long_binary;
}

ValueType arithmetic_type(std::u16string_view op, ValueType left, ValueType right) {
    if (left.type == none) return right.type == none ? ValueType{} : arithmetic_type(op, right, right);
    if (right.type == none) return arithmetic_type(op, left, left);
    const std::int16_t a = left.type;
    const std::int16_t b = right.type;
    if (is_text(a) || is_text(b)) {
        // "+" joins two texts; any other mix is converted to numbers.
        if (op == u"+" && is_text(a) && is_text(b)) return computed(a == memo || b == memo ? memo : text);
        return computed(double_float);
    }
    if (a == date || b == date) {
        if (op == u"+" && (a != date || b != date)) return computed(date);
        if (op == u"-" && a == date && b != date) return computed(date);
        return computed(double_float);
    }
    if (!is_number(a) || !is_number(b)) return computed(double_float);
    if (op == u"^") return computed(double_float);
    if (op == u"/") return computed(a == decimal || b == decimal ? decimal : double_float);
    if (op == u"\\" || same_name(op, u"Mod")) return computed(integer_division_type(a, b));
    return computed(wider_number(a, b));
}

ValueType negation_type(ValueType operand) {
    if (operand.type == boolean || operand.type == byte) return computed(integer);
    if (is_text(operand.type)) return computed(double_float);
    return operand.type == none ? operand : computed(operand.type);
}

ValueType common_type(ValueType a, ValueType b) {
    if (a.type == none) return b.type == none ? a : computed(b.type);
    if (b.type == none) return computed(a.type);
    if (a.type == b.type) return computed(a.type);
    if (is_number(a.type) && is_number(b.type)) return computed(wider_number(a.type, b.type));
    if (a.type == memo || b.type == memo) return computed(memo);
    return computed(text);
}

bool is_aggregate(std::u16string_view function) {
    static constexpr std::array<std::u16string_view, 11> aggregates = {
        u"Count", u"Sum", u"Avg", u"Min", u"Max", u"First", u"Last", u"StDev", u"StDevP", u"Var", u"VarP"};
    return std::any_of(aggregates.begin(), aggregates.end(),
                       [&](std::u16string_view name) { return same_name(name, function); });
}

std::optional<ValueType> function_type(std::u16string_view function, const std::vector<ValueType>& arguments) {
    const FunctionRule* found = find_function(function);
    if (found == nullptr) return std::nullopt;
    switch (found->rule) {
        case Rule::date: return computed(date);
        case Rule::integer: return computed(integer);
        case Rule::long_integer: return computed(long_integer);
        case Rule::double_float: return computed(double_float);
        case Rule::single: return computed(single);
        case Rule::currency: return computed(currency);
        case Rule::byte: return computed(byte);
        case Rule::boolean: return computed(boolean);
        case Rule::decimal: return computed(decimal);
        case Rule::text: return computed(text);
        case Rule::first_argument: return argument_or_none(arguments, 0);
        case Rule::sum: return sum_type(argument_or_none(arguments, 0));
        case Rule::average: return average_type(argument_or_none(arguments, 0));
        case Rule::choice: return common_of(arguments, 1, 1);
        case Rule::first_or_second: return common_of(arguments, 0, 1);
        case Rule::switch_values: return common_of(arguments, 1, 2);
        case Rule::choose_values: return common_of(arguments, 1, 1);
    }
    return std::nullopt;
}

}  // namespace qz::query
