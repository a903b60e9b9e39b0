// Reading a chart scene in tests: primitives by kind and pen, texts by content, and the
// segments that polylines and step lines are made of.
#pragma once

#include "chart/ChartScene.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string_view>
#include <variant>
#include <vector>

namespace rir {

inline std::ostream& operator<<(std::ostream& os, const ChartPoint& p) {
    return os << "(" << p.x << ", " << p.y << ")";
}

namespace scene {

template <typename T> std::vector<const T*> All(const ChartScene& s) {
    std::vector<const T*> out;
    for (const ChartPrimitive& p : s.items)
        if (const T* t = std::get_if<T>(&p))
            out.push_back(t);
    return out;
}

template <typename T> std::vector<const T*> WithPen(const ChartScene& s, ChartPen pen) {
    std::vector<const T*> out;
    for (const T* t : All<T>(s))
        if (t->pen == pen)
            out.push_back(t);
    return out;
}

inline const ChartText* Text(const ChartScene& s, std::string_view text) {
    for (const ChartText* t : All<ChartText>(s))
        if (t->text == text)
            return t;
    return nullptr;
}

// Vertical ticks of the time axis: black lines from B - 1 to B + 2; their x in scene order.
inline std::vector<int> TickXs(const ChartScene& s, int b) {
    std::vector<int> xs;
    for (const ChartLine* l : WithPen<ChartLine>(s, ChartPen::Black))
        if (l->from.y == b - 1 && l->to.y == b + 2 && l->from.x == l->to.x)
            xs.push_back(l->from.x);
    return xs;
}

struct Segment {
    ChartPen pen;
    ChartPoint from;
    ChartPoint to;
};

// The straight segments of every polyline drawn with one of the pens, in scene order.
inline std::vector<Segment> PolylineSegments(const ChartScene& s, std::initializer_list<ChartPen> pens) {
    std::vector<Segment> out;
    for (const ChartPolyline* p : All<ChartPolyline>(s)) {
        if (std::find(pens.begin(), pens.end(), p->pen) == pens.end())
            continue;
        for (std::size_t i = 1; i < p->points.size(); ++i)
            out.push_back({p->pen, p->points[i - 1], p->points[i]});
    }
    return out;
}

// The one line drawn with a pen, if there is exactly one.
inline std::optional<ChartLine> OnlyLine(const ChartScene& s, ChartPen pen) {
    const auto lines = WithPen<ChartLine>(s, pen);
    if (lines.size() != 1)
        return std::nullopt;
    return *lines.front();
}

} // namespace scene
} // namespace rir
