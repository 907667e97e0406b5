// One visitor for std::visit from several lambdas, one per alternative.
#pragma once

template <class... Visit> struct Overloaded : Visit... { using Visit::operator()...; };
template <class... Visit> Overloaded(Visit...) -> Overloaded<Visit...>;
