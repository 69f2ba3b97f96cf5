#include "toolpath.hpp"

#include <cmath>
#include <numbers>

#include "number_styles.hpp"

namespace g91to90 {

namespace {

constexpr double MILLIMETRES_PER_INCH = 25.4;

// The factor from lengths in `from` units to lengths in `to` units; 1 when
// either is unknown.
double unit_scale(length_unit from, length_unit to) {
    return from == length_unit::inch && to == length_unit::millimetre   ? MILLIMETRES_PER_INCH
           : from == length_unit::millimetre && to == length_unit::inch ? 1 / MILLIMETRES_PER_INCH
                                                                        : 1.0;
}

double as_double(exact_number value) {
    return static_cast<double>(value.billionths) / static_cast<double>(BILLION);
}

// An angle brought into (0, 2 pi].
double positive_turn(double angle) {
    constexpr double TURN = 2 * std::numbers::pi;
    while (angle <= 0) {
        angle += TURN;
    }
    while (angle > TURN) {
        angle -= TURN;
    }
    return angle;
}

// The centre of an arc given by its radius word: on the right of the chord
// for a clockwise arc of a positive radius, as controls read R.
std::array<double, 2> centre_from_radius(const drawn_move& move, double radius) {
    const double dx = move.to[0] - move.from[0];
    const double dy = move.to[1] - move.from[1];
    const double chord = std::hypot(dx, dy);
    if (chord == 0) {
        return move.from;
    }
    const double half = chord / 2;
    const double rise = std::sqrt(std::max(0.0, radius * radius - half * half));
    double side = move.kind == move_kind::arc_clockwise ? 1.0 : -1.0;
    side = radius < 0 ? -side : side;
    return {(move.from[0] + move.to[0]) / 2 + side * rise * dy / chord,
            (move.from[1] + move.to[1]) / 2 - side * rise * dx / chord};
}

}  // namespace

void toolpath::read_position(const machine_state& machine) {
    const double scale = unit_scale(machine.unit, unit_);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        known_[axis] = (machine.known & axis_bit(static_cast<int>(axis))) != 0;
        at_[axis] = as_double(machine.position[axis]) * scale;
    }
}

void toolpath::begin(const machine_state& machine) {
    unit_ = machine.unit;
    read_position(machine);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (known_[axis]) {
            extents_[axis].take(at_[axis]);
        }
    }
}

void toolpath::keep(drawn_move move) {
    if (drawn_.size() < most_drawn_) {
        drawn_.push_back(move);
    } else {
        all_drawn_ = all_drawn_ && most_drawn_ == 0;
    }
}

// The points of an arc's circle at 0, 90, 180 and 270 degrees that it passes.
void toolpath::take_arc(const drawn_move& move) {
    const double dx = move.from[0] - move.centre[0];
    const double dy = move.from[1] - move.centre[1];
    const double radius = std::hypot(dx, dy);
    const double begin = std::atan2(dy, dx);
    const double end = std::atan2(move.to[1] - move.centre[1], move.to[0] - move.centre[0]);
    const bool counterclockwise = move.kind == move_kind::arc_counterclockwise;
    const bool full = move.from == move.to;
    const double sweep =
        full ? 2 * std::numbers::pi : positive_turn(counterclockwise ? end - begin : begin - end);
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double angle = quarter * std::numbers::pi / 2;
        const double past = positive_turn(counterclockwise ? angle - begin : begin - angle);
        if (full || past <= sweep) {
            extents_[0].take(move.centre[0] + radius * std::cos(angle));
            extents_[1].take(move.centre[1] + radius * std::sin(angle));
        }
    }
}

void toolpath::hole(const machine_state& machine, const line_plan& plan) {
    ++moves_;
    const std::array<double, 3> before = at_;
    const std::array<bool, 3> was_known = known_;
    read_position(machine);
    // The plane axes at the hole; the axis normal to the plane (Z under G17,
    // Y under G18, X under G19) down to the R level and the bottom.
    const auto normal = static_cast<std::size_t>(plan.normal_axis);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (axis != normal && known_[axis]) {
            extents_[axis].take(at_[axis]);
        }
    }
    const cycle_series& series = machine.series;
    double bottom = at_[2];
    if (series.r && series.depth) {
        const double deepest = as_double(series.initial + *series.r + *series.depth);
        extents_[normal].take(as_double(series.initial + *series.r));
        extents_[normal].take(deepest);
        bottom = normal == 2 ? deepest : bottom;
    }
    if (was_known[0] && was_known[1] && known_[0] && known_[1]) {
        keep({.from = {before[0], before[1]},
              .to = {at_[0], at_[1]},
              .depth = bottom,
              .depth_known = known_[2],
              .kind = move_kind::hole});
    }
}

void toolpath::line(const scanned_line& scan, const line_plan& plan, const machine_state& machine) {
    motion_ = scan.motion_code() ? scan.motion : motion_;
    if (scan.has(ABSOLUTE_CENTRES) || scan.has(INCREMENTAL_CENTRES)) {
        absolute_centres_ = scan.has(ABSOLUTE_CENTRES);
    }
    if (unit_ == length_unit::unknown) {
        unit_ = machine.unit;
    }
    const std::array<double, 3> before = at_;
    const std::array<bool, 3> was_known = known_;
    read_position(machine);
    const bool moved = plan.words == axis_effect::move && (scan.axes & XYZ_AXES) != 0;
    if (plan.words == axis_effect::cycle_holes || !moved) {
        // The holes were taken one by one. A return home or a move in
        // machine coordinates moves to where the converter cannot follow;
        // another line moves nothing.
        constexpr kind_set UNFOLLOWED =
            kinds(code_kind::return_home, code_kind::machine_coordinates);
        moves_ += plan.words != axis_effect::cycle_holes && scan.holds(UNFOLLOWED) ? 1 : 0;
        for (std::size_t axis = 0; axis < 3 && plan.words != axis_effect::cycle_holes; ++axis) {
            if (known_[axis] && (scan.axes & axis_bit(static_cast<int>(axis))) != 0 &&
                plan.words != axis_effect::none) {
                extents_[axis].take(at_[axis]);
            }
        }
        return;
    }
    ++moves_;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (known_[axis]) {
            extents_[axis].take(at_[axis]);
        }
    }
    if (!(was_known[0] && was_known[1] && known_[0] && known_[1])) {
        return;
    }
    drawn_move move{.from = {before[0], before[1]},
                    .to = {at_[0], at_[1]},
                    .depth = std::min(before[2], at_[2]),
                    .depth_known = was_known[2] && known_[2],
                    .kind = machine.cycle == cycle_state::on    ? move_kind::hole
                            : motion_ == motion_kind::rapid     ? move_kind::rapid
                            : motion_ == motion_kind::feed      ? move_kind::feed
                            : motion_ == motion_kind::clockwise ? move_kind::arc_clockwise
                                                                : move_kind::arc_counterclockwise};
    const bool arc =
        move.kind == move_kind::arc_clockwise || move.kind == move_kind::arc_counterclockwise;
    if (arc && machine.plane == work_plane::xy) {
        std::array<double, 2> offset{};
        bool by_radius = false;
        double radius = 0;
        const double scale = unit_scale(machine.unit, unit_);
        for (const line_word& word : scan.words) {
            if (word.slot == FIRST_ARC_SLOT || word.slot == FIRST_ARC_SLOT + 1) {
                offset[word.slot - FIRST_ARC_SLOT] =
                    as_double(word_value(word, machine, 0)) * scale;
            } else if (word.slot == R_SLOT) {
                by_radius = true;
                radius = as_double(word_value(word, machine, 0)) * scale;
            }
        }
        move.centre = by_radius ? centre_from_radius(move, radius)
                      : absolute_centres_
                          ? offset
                          : std::array<double, 2>{before[0] + offset[0], before[1] + offset[1]};
        take_arc(move);
    } else if (arc) {
        move.kind = move_kind::feed;  // seen from above, an arc of another plane
    }
    keep(move);
}

void toolpath::numbers(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                       std::uint64_t line_number) {
    for (const line_word& word : scan.words) {
        if (word.value.billionths == 0 || (plan.repeat_in_k && word.slot == K_SLOT)) {
            continue;
        }
        number_styles_ |= word.point ? POINTED_NUMBER : WHOLE_NUMBER;
        if (!word.point && first_whole_line_ == 0) {
            first_whole_word_ = std::string(line.text().substr(word.begin, word.end - word.begin));
            first_whole_line_ = line_number;
        }
    }
}

}  // namespace g91to90
