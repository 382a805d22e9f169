#pragma once
// The owning list used by every collection of the fiscal documents.

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace orv {

template <typename T>
class TOrvObjectList {
public:
    TOrvObjectList() = default;
    TOrvObjectList(const TOrvObjectList&) = delete;
    TOrvObjectList& operator=(const TOrvObjectList&) = delete;

    // Creates an item, appends it and returns it.
    T& New() {
        fItens.push_back(std::make_unique<T>());
        return *fItens.back();
    }
    T& Add() { return New(); }

    // Zero-based; an index out of range throws std::out_of_range.
    T& Items(int i) { return *fItens.at(static_cast<std::size_t>(i)); }
    const T& Items(int i) const { return *fItens.at(static_cast<std::size_t>(i)); }
    T& operator[](int i) { return Items(i); }
    const T& operator[](int i) const { return Items(i); }
    // Replaces (and frees) the item at `i`.
    void SetItem(int i, std::unique_ptr<T> item) {
        fItens.at(static_cast<std::size_t>(i)) = std::move(item);
    }

    int Count() const { return static_cast<int>(fItens.size()); }
    bool empty() const { return fItens.empty(); }
    void Clear() { fItens.clear(); }

    // Iteration over the items themselves.
    template <typename It, typename V>
    struct Iterador {
        It it;
        V& operator*() const { return **it; }
        V* operator->() const { return it->get(); }
        Iterador& operator++() {
            ++it;
            return *this;
        }
        bool operator==(const Iterador& o) const { return it == o.it; }
    };
    using iterator = Iterador<typename std::vector<std::unique_ptr<T>>::iterator, T>;
    using const_iterator =
        Iterador<typename std::vector<std::unique_ptr<T>>::const_iterator, const T>;
    iterator begin() { return {fItens.begin()}; }
    iterator end() { return {fItens.end()}; }
    const_iterator begin() const { return {fItens.cbegin()}; }
    const_iterator end() const { return {fItens.cend()}; }

private:
    std::vector<std::unique_ptr<T>> fItens;
};

} // namespace orv
