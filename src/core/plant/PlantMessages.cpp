#include "plant/PlantMessages.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace rir {

namespace {

constexpr int MAX_ADDRESS = 127;
constexpr std::size_t MAX_STATION_NAME = 64;

// A number as the plant reads it: at most three decimals, no trailing zeros ("12.48", "1.5", "0").
std::string Number(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string s = text;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

// A flat JSON object read field by field: strings (no escapes but \" and \\), numbers, true and
// false. What a command needs and nothing that could nest or grow.
class FlatReader {
public:
    explicit FlatReader(std::string_view text) : text_(text) {}

    using Value = std::variant<double, bool, std::string>;

    // The fields, or why the text is not such an object.
    std::variant<std::map<std::string, Value>, std::string> Read() {
        std::map<std::string, Value> fields;
        Skip();
        if (!Take('{'))
            return std::string("ожидался объект JSON");
        Skip();
        if (Take('}'))
            return End(fields);
        for (;;) {
            Skip();
            auto key = String();
            if (!key)
                return std::string("ожидалось имя поля в кавычках");
            Skip();
            if (!Take(':'))
                return "после поля \"" + *key + "\" ожидалось \":\"";
            Skip();
            auto value = ReadValue();
            if (!value)
                return "значение поля \"" + *key + "\" не число, не true/false и не строка";
            if (!fields.emplace(*key, *value).second)
                return "поле \"" + *key + "\" дважды";
            Skip();
            if (Take(','))
                continue;
            if (Take('}'))
                return End(fields);
            return std::string("ожидались \",\" или \"}\"");
        }
    }

private:
    std::variant<std::map<std::string, Value>, std::string> End(std::map<std::string, Value>& fields) {
        Skip();
        if (at_ != text_.size())
            return std::string("лишнее после объекта JSON");
        return std::move(fields);
    }
    void Skip() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
            ++at_;
    }
    bool Take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    std::optional<std::string> String() {
        if (!Take('"'))
            return std::nullopt;
        std::string out;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c == '\\') {
                if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\\'))
                    return std::nullopt;
                out += text_[at_++];
                continue;
            }
            out += c;
        }
        return std::nullopt;
    }
    std::optional<Value> ReadValue() {
        if (at_ < text_.size() && text_[at_] == '"') {
            auto s = String();
            if (!s)
                return std::nullopt;
            return Value(*s);
        }
        if (text_.substr(at_, 4) == "true") {
            at_ += 4;
            return Value(true);
        }
        if (text_.substr(at_, 5) == "false") {
            at_ += 5;
            return Value(false);
        }
        // JSON's number: no leading "+", no hex, no "inf" or "nan".
        const std::size_t start = at_;
        while (at_ < text_.size() &&
               std::string_view("-0123456789.eE+").find(text_[at_]) != std::string_view::npos)
            ++at_;
        const std::string_view digits = text_.substr(start, at_ - start);
        if (digits.empty() || digits.front() == '+' || digits.front() == '.')
            return std::nullopt;
        double value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
            return std::nullopt;
        return Value(value);
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::optional<int> Address(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() == '0' || ec != std::errc() || end != text.data() + text.size() ||
        value < 1 || value > MAX_ADDRESS)
        return std::nullopt;
    return value;
}

} // namespace

bool ValidStationName(std::string_view name) {
    if (name.empty() || name.size() > MAX_STATION_NAME)
        return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '-' || c == '_' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

std::string StationTopic(std::string_view station, std::string_view leaf) {
    return "rir/" + std::string(station) + "/" + std::string(leaf);
}

std::string PageTopic(std::string_view station, int address, int channel, std::string_view leaf) {
    std::string page = std::to_string(address);
    if (channel != 0)
        page += "_2";
    return StationTopic(station, page + "/" + std::string(leaf));
}

std::optional<PageRef> ParseCommandTopic(std::string_view topic, std::string_view station) {
    const std::string prefix = "rir/" + std::string(station) + "/";
    constexpr std::string_view suffix = "/set";
    if (topic.size() <= prefix.size() + suffix.size() || topic.substr(0, prefix.size()) != prefix ||
        topic.substr(topic.size() - suffix.size()) != suffix)
        return std::nullopt;
    std::string_view page = topic.substr(prefix.size(), topic.size() - prefix.size() - suffix.size());
    PageRef ref;
    if (page.size() > 2 && page.substr(page.size() - 2) == "_2") {
        ref.channel = 1;
        page.remove_suffix(2);
    }
    const auto address = Address(page);
    if (!address)
        return std::nullopt;
    ref.address = *address;
    return ref;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string PageStateJson(const PageReport& r) {
    std::string j = "{\"online\":";
    j += r.online ? "true" : "false";
    j += ",\"output\":";
    j += r.output ? "true" : "false";
    if (r.regulation)
        j += ",\"regulation\":\"" + std::string(1, *r.regulation) + "\"";
    if (r.u)
        j += ",\"u\":" + Number(*r.u);
    if (r.i)
        j += ",\"i\":" + Number(*r.i);
    j += ",\"uLimit\":" + Number(r.uLimit) + ",\"iLimit\":" + Number(r.iLimit);
    if (r.program)
        j += ",\"program\":{\"state\":" + JsonString(r.program->state) +
             ",\"second\":" + std::to_string(r.program->second) +
             ",\"left\":" + std::to_string(r.program->left) + "}";
    if (r.ah)
        j += ",\"ah\":" + Number(*r.ah);
    if (r.temperature)
        j += ",\"temperature\":" + Number(*r.temperature);
    if (!r.alarm.empty())
        j += ",\"alarm\":" + JsonString(r.alarm);
    j += ",\"time\":" + JsonString(r.time) + "}";
    return j;
}

std::variant<PlantCommand, std::string> ParsePlantCommand(std::string_view payload) {
    if (payload.size() > PLANT_COMMAND_MAX_BYTES)
        return "команда длиннее " + std::to_string(PLANT_COMMAND_MAX_BYTES) + " байт";
    auto read = FlatReader(payload).Read();
    if (auto* error = std::get_if<std::string>(&read))
        return "неверный JSON: " + *error;
    PlantCommand c;
    for (const auto& [key, value] : std::get<0>(read)) {
        const double* number = std::get_if<double>(&value);
        const bool* flag = std::get_if<bool>(&value);
        const std::string* text = std::get_if<std::string>(&value);
        if (key == "uLimit" || key == "iLimit") {
            if (number == nullptr)
                return "поле \"" + key + "\" должно быть числом";
            (key == "uLimit" ? c.uLimit : c.iLimit) = *number;
        } else if (key == "output") {
            if (flag == nullptr)
                return std::string("поле \"output\" должно быть true или false");
            c.output = *flag;
        } else if (key == "program") {
            static const std::map<std::string, PlantCommand::Program> programs{
                {"start", PlantCommand::Program::Start},
                {"pause", PlantCommand::Program::Pause},
                {"continue", PlantCommand::Program::Continue},
                {"cancel", PlantCommand::Program::Cancel}};
            const auto it = text == nullptr ? programs.end() : programs.find(*text);
            if (it == programs.end())
                return std::string(
                    "поле \"program\" должно быть \"start\", \"pause\", \"continue\" или \"cancel\"");
            c.program = it->second;
        } else {
            return "неизвестное поле " + JsonString(key);
        }
    }
    if (c == PlantCommand{})
        return std::string("пустая команда");
    return c;
}

std::string PlantResultJson(const std::string& error) {
    if (error.empty())
        return "{\"ok\":true}";
    return "{\"ok\":false,\"error\":" + JsonString(error) + "}";
}

} // namespace rir
