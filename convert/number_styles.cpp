#include "number_styles.hpp"

#include <string>

#include "stop.hpp"

namespace g91to90 {

word_masks masks_of(const scanned_line& scan) {
    word_masks masks;
    for (const line_word& word : scan.words) {
        const auto bit = static_cast<std::uint16_t>(1U << word.slot);
        if (word.point) {
            masks.dotted |= bit;
        }
        if (word.value.billionths != 0) {
            (word.point ? masks.pointed : masks.whole) |= bit;
        }
    }
    return masks;
}

position_styles styles_of(const machine_state& machine) {
    if (machine.styles_followed) {
        return {machine.pointed_axes, machine.whole_axes};
    }
    position_styles styles;
    for (int axis = 0; axis < AXIS_COUNT; ++axis) {
        if (machine.position[static_cast<std::size_t>(axis)].billionths != 0) {
            styles.pointed |= axis_bit(axis);
        }
    }
    return styles;
}

line_styles move_styles(const scanned_line& scan, const word_masks& masks,
                        const position_styles& before, bool incremental) {
    const std::uint16_t moved = scan.axes;
    const auto kept = static_cast<std::uint16_t>(incremental ? ALL_AXES : ~moved);
    line_styles styles;
    styles.pointed = static_cast<std::uint16_t>((before.pointed & kept) | (masks.pointed & moved));
    styles.whole = static_cast<std::uint16_t>((before.whole & kept) | (masks.whole & moved));
    styles.mixed = static_cast<std::uint16_t>(styles.pointed & styles.whole & moved);
    // A value with a point wherever a number that made it had one; a zero
    // keeps its own spelling, and so does an arc word.
    const auto styled = static_cast<std::uint16_t>((styles.pointed | styles.whole) & moved);
    styles.point_slots =
        static_cast<std::uint16_t>((styles.pointed & moved) | (masks.dotted & ~styled));
    styles.whole_slots = static_cast<std::uint16_t>((styles.whole & ~styles.pointed & moved) |
                                                    (masks.whole & ~ALL_AXES));
    return styles;
}

line_styles cycle_styles(const scanned_line& scan, const word_masks& masks,
                         const position_styles& before, int normal_axis, std::uint8_t initial,
                         std::uint8_t r, std::uint8_t depth, std::uint8_t level) {
    // The plane axes move as incremental words do.
    const auto normal = static_cast<std::uint16_t>(axis_bit(normal_axis));
    line_styles styles = move_styles(scan, masks, before, true);
    const auto r_level = static_cast<std::uint8_t>(initial | r);
    const auto bottom = static_cast<std::uint8_t>(r_level | depth);
    const auto spell = [&](int slot, std::uint8_t style) {
        const auto bit = static_cast<std::uint16_t>(1U << slot);
        const bool point = style == 0 ? (masks.dotted & bit) != 0 : (style & POINTED_NUMBER) != 0;
        styles.point_slots =
            static_cast<std::uint16_t>((styles.point_slots & ~bit) | (point ? bit : 0U));
        styles.whole_slots = static_cast<std::uint16_t>((styles.whole_slots & ~bit) |
                                                        (style == WHOLE_NUMBER ? bit : 0U));
    };
    spell(R_SLOT, r_level);
    spell(normal_axis, bottom);
    // The normal axis is not moved by its word: it stands at a level after
    // the line.
    styles.mixed = static_cast<std::uint16_t>(
        (styles.mixed & ~normal) |
        (r_level == MIXED_NUMBER || bottom == MIXED_NUMBER ? normal : 0));
    styles.pointed = static_cast<std::uint16_t>((styles.pointed & ~normal) |
                                                ((level & POINTED_NUMBER) != 0 ? normal : 0));
    styles.whole = static_cast<std::uint16_t>((styles.whole & ~normal) |
                                              ((level & WHOLE_NUMBER) != 0 ? normal : 0));
    return styles;
}

numbers_refusal refused_numbers(const machine_state& machine, const line_styles& styles,
                                bool rewritten) {
    if (machine.reading != integer_reading::unknown) {
        return numbers_refusal::none;
    }
    if (styles.mixed != 0) {
        return numbers_refusal::mixed;
    }
    if (rewritten && machine.points_whole_numbers && styles.whole_slots != 0) {
        return numbers_refusal::point;
    }
    return numbers_refusal::none;
}

exact_number word_value(const line_word& word, const machine_state& machine,
                        std::uint64_t line_number) {
    if (machine.reading != integer_reading::increments || word.point ||
        word.value.billionths == 0) {
        return word.value;
    }
    const std::int64_t increment = least_increment(machine.unit);
    if (increment == 0) {
        throw conversion_stop(
            stop_reason::increments_unit_unknown,
            std::string(1, word.slot < AXIS_COUNT ? AXIS_LETTERS[word.slot]
                                                  : "IJKR"[word.slot - FIRST_ARC_SLOT]),
            line_number);
    }
    return counted_increments(word.value, increment);
}

}  // namespace g91to90
