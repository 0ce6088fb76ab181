#pragma once
// The regular-expression library with the ECMAScript rules it departs from put right, for
// the find engine alone (include it in no other file: the mends below are specialisations
// of the library's own templates for this traits class).
//
// Boost.Regex 1.81 differs from ECMAScript in four places that a user meets:
// - under icase a class range is folded at its two ends ([B-a] refused, [A-z] without "[");
//   ECMAScript takes every character of the range as written and compares folded forms;
// - "." refuses a form feed, which the library counts as a line separator;
// - a counted repeat of a group that can match nothing stops at its first empty pass even
//   while passes are still owed ((?:^.?){2} on "e" matches "");
// - the complexity limit allows a search N^2 steps over N bytes, fewer than a pattern with
//   one repeat of a choice needs: (a|b)*c fails over 600 bytes of a's and b's.
// Each is mended on the matcher or the class builder of this traits class only. They copy
// the library's code with the one change marked; a newer library must be checked against
// them, hence the version test.

#include <boost/regex.hpp>
#include <boost/version.hpp>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

static_assert(BOOST_VERSION == 108100, "the find engine's mends copy Boost.Regex 1.81: compare them anew");

// The C++ locale traits with one folding for every platform: only the ASCII letters fold,
// as in plain mode, whatever the C runtime's locale would do with bytes above 0x7F (with
// a double-byte code page those are lead and trail bytes, which must stay as they are).
struct FindRegexTraits : boost::cpp_regex_traits<char> {
    static char Fold(char c) { return c >= 'A' && c <= 'Z' ? (char)(c + ('a' - 'A')) : c; }
    char translate_nocase(char c) const { return Fold(c); }
    char translate(char c) const { return c; }
    char translate(char c, bool icase) const { return icase ? Fold(c) : c; }
};

using FindRegex = boost::basic_regex<char, FindRegexTraits>;
using FindMatch = boost::match_results<const char*>;

namespace boost {
namespace BOOST_REGEX_DETAIL_NS {

using FindMatcher = perl_matcher<const char*, std::allocator<sub_match<const char*>>, FindRegexTraits>;

// A range becomes the single characters it holds. The class builder then marks each byte
// whose folded form equals a member's folded form, which is ECMAScript's rule; in a
// case-sensitive class that is the range itself. A range whose ends are reversed as written
// is handed on as the range 0xFF-0x00, which the builder refuses with its own error (folded,
// [a-Z] would pass as [a-z]). Ranges with a collating element of two characters at an end
// go the library's way.
template <>
inline void basic_char_set<char, FindRegexTraits>::add_range(const digraph_type& first,
                                                             const digraph_type& end)
{
    unsigned char low = (unsigned char)first.first, high = (unsigned char)end.first;
    if (first.second || end.second || high < low) {
        bool reversed = !first.second && !end.second;
        m_ranges.push_back(reversed ? digraph_type((char)0xFF) : first);
        m_ranges.push_back(reversed ? digraph_type((char)0) : end);
        if (first.second) {
            m_has_digraphs = true;
            add_single(first);
        }
        if (end.second) {
            m_has_digraphs = true;
            add_single(end);
        }
        m_empty = false;
        return;
    }
    for (unsigned c = low; c <= high; ++c)
        add_single(digraph_type((char)c));
}

// "." takes every character but the line terminators LF and CR (the library also refuses
// a form feed).
template <>
inline bool FindMatcher::match_wild()
{
    if (position == last)
        return false;
    if ((*position == '\n' || *position == '\r') &&
        (match_any_mask & static_cast<const re_dot*>(pstate)->mask) == 0) // changed
        return false;
    if (*position == 0 && (m_match_flags & match_not_dot_null))
        return false;
    pstate = pstate->next.p;
    ++position;
    return true;
}

// The library's bound is the larger of N * S^2 and N^2 (capped) plus 100,000, for N bytes
// from the search start to the end and a pattern S characters long. A pattern without
// nested ambiguity visits each position at most a few times per state from each start, so
// the work it may need grows as N^2 * S: that term replaces N^2, under the same cap, which
// keeps the time to give up on a runaway pattern over a long text what it was.
template <>
inline void FindMatcher::estimate_max_state_count(std::random_access_iterator_tag*)
{
    const double n = (double)(last - base > 0 ? last - base : 1);
    const double s = (double)(re.size() > 0 ? re.size() : 1);
    double quadratic = n * n * s;
    if (quadratic > (double)BOOST_REGEX_MAX_STATE_COUNT)
        quadratic = (double)BOOST_REGEX_MAX_STATE_COUNT;
    double bound = n * s * s;
    if (quadratic > bound)
        bound = quadratic;
    bound += 100000;
    const double most = (double)((std::numeric_limits<std::ptrdiff_t>::max)() - 2);
    max_state_count = (std::ptrdiff_t)(bound < most ? bound : most);
}

// A repeat asks whether its last pass matched nothing, and then stops; in ECMAScript that
// stop comes only once the passes it must make are made, so before that the question is not
// asked: (?:^.?){2} on "e" takes the empty first pass and "e" in the second.
template <>
inline bool FindMatcher::match_rep()
{
    const re_repeat* rep = static_cast<const re_repeat*>(pstate);
    bool take_first, take_second;
    if (position == last) {
        take_first = rep->can_be_null & mask_take;
        take_second = rep->can_be_null & mask_skip;
    } else {
        take_first = can_start(*position, rep->_map, (unsigned char)mask_take);
        take_second = can_start(*position, rep->_map, (unsigned char)mask_skip);
    }
    if ((m_backup_state->state_id != saved_state_repeater_count) ||
        (static_cast<saved_repeater<const char*>*>(m_backup_state)->count.get_id() != rep->state_id) ||
        (next_count->get_id() != rep->state_id))
        push_repeater_count(rep->state_id, &next_count);
    if (next_count->get_count() >= rep->min) // changed: the library asks at every pass
        next_count->check_null_repeat(position, rep->max);

    if (next_count->get_count() < rep->min) {
        if (take_first) {
            ++(*next_count);
            pstate = rep->next.p;
            return true;
        }
        return false;
    }
    bool greedy = (rep->greedy) && (!(m_match_flags & regex_constants::match_any) || m_independent);
    if (greedy) {
        if ((next_count->get_count() < rep->max) && take_first) {
            if (take_second)
                push_alt(rep->alt.p);
            ++(*next_count);
            pstate = rep->next.p;
            return true;
        } else if (take_second) {
            pstate = rep->alt.p;
            return true;
        }
        return false;
    }
    if (take_second) {
        if ((next_count->get_count() < rep->max) && take_first)
            push_non_greedy_repeat(rep->next.p);
        pstate = rep->alt.p;
        return true;
    }
    if ((next_count->get_count() < rep->max) && take_first) {
        ++(*next_count);
        pstate = rep->next.p;
        return true;
    }
    return false;
}

} // namespace BOOST_REGEX_DETAIL_NS
} // namespace boost
