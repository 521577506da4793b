#include "landscape/LandscapeJson.h"

#include <cmath>
#include <cstdio>
#include <type_traits>
#include <vector>

#include "core/Text.h"

namespace orvane {

namespace {

template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

class TJsonWriter {
public:
    template <class R>
    void Record(const R& record) {
        out_ += '{';
        ++depth_;
        bool first = true;
        VisitFields(record, [&](const char* name, const auto& value, const char* flagName, auto flag) {
            Key(name, first);
            Value(value);
            if constexpr (!std::is_null_pointer_v<std::remove_cvref_t<decltype(flag)>>) {
                Key(flagName, first);
                out_ += *flag ? "true" : "false";
            }
        });
        --depth_;
        if (!first) NewLine();
        out_ += '}';
    }

    std::string Take() { return std::move(out_); }

private:
    void NewLine() {
        out_ += '\n';
        out_.append(static_cast<size_t>(depth_) * 2, ' ');
    }

    void Key(const char* name, bool& first) {
        if (!first) out_ += ',';
        first = false;
        NewLine();
        out_ += '"';
        out_ += name;
        out_ += "\": ";
    }

    template <class T>
    void Value(const T& value) {
        if constexpr (std::is_same_v<T, std::wstring>) {
            out_ += JsonString(value);
        } else if constexpr (std::is_same_v<T, bool>) {
            out_ += value ? "true" : "false";
        } else if constexpr (std::is_same_v<T, tyCanvasAppType>) {
            EnumName(CanvasAppTypeName(value), value);
        } else if constexpr (std::is_same_v<T, tyServiceType>) {
            EnumName(ServiceTypeName(value), value);
        } else if constexpr (std::is_floating_point_v<T>) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.17g", value);
            out_ += std::isfinite(value) ? buffer : "null";
        } else if constexpr (std::is_integral_v<T>) {
            out_ += std::to_string(static_cast<long long>(value));
        } else if constexpr (IsVector<T>::value) {
            if (value.empty()) {
                out_ += "[]";
                return;
            }
            out_ += '[';
            ++depth_;
            for (size_t i = 0; i < value.size(); ++i) {
                if (i) out_ += ',';
                NewLine();
                Record(value[i]);
            }
            --depth_;
            NewLine();
            out_ += ']';
        } else {
            static_assert(!sizeof(T), "field type without a JSON form");
        }
    }

    // A value outside the enumeration (never produced by the reader) shows as its number.
    template <class E>
    void EnumName(const char* name, E value) {
        if (*name) {
            out_ += '"';
            out_ += name;
            out_ += '"';
        } else {
            out_ += std::to_string(static_cast<int>(value));
        }
    }

    std::string out_;
    int depth_ = 0;
};

} // namespace

std::string LandscapeToJson(const tyLandscape& landscape) {
    TJsonWriter writer;
    writer.Record(landscape);
    std::string json = writer.Take();
    json += '\n';
    return json;
}

} // namespace orvane
