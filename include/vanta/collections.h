/// \file
/// The framework's root object class and the two containers that the exports take.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"

#include <cstdint>
#include <vector>

/// A signed integer as wide as a pointer: the containers' sizes and indexes.
typedef std::intptr_t INT_PTR;

/// Root of the classes that live in a CObList; the destructor is virtual so that an owner can
/// delete entries through the base pointer.
class VANTA_API CObject {
public:
    virtual ~CObject();

protected:
    CObject() = default;                          ///< Only derived classes are made.
    CObject(const CObject&) = default;            ///< Copies nothing of its own.
    CObject& operator=(const CObject&) = default; ///< Assigns nothing of its own.
};

/// An indexed array of strings.
class VANTA_API CStringArray : public CObject {
public:
    /// The number of elements.
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    /// The number of elements (the same as GetSize).
    INT_PTR GetCount() const { return GetSize(); }
    /// True when the array has no element.
    bool IsEmpty() const { return m_items.empty(); }
    /// The index of the last element; -1 when the array is empty.
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    /// The element at `index`; an index out of range throws std::out_of_range.
    const CString& GetAt(INT_PTR index) const { return m_items.at(static_cast<size_t>(index)); }
    /// The element at `index`, for writing; an index out of range throws std::out_of_range.
    CString& ElementAt(INT_PTR index) { return m_items.at(static_cast<size_t>(index)); }
    /// Replaces the element at `index`; an index out of range throws std::out_of_range.
    void SetAt(INT_PTR index, const CString& value) { ElementAt(index) = value; }
    /// The same as GetAt.
    const CString& operator[](INT_PTR index) const { return GetAt(index); }
    /// The same as ElementAt.
    CString& operator[](INT_PTR index) { return ElementAt(index); }

    /// Appends and returns the new element's index.
    INT_PTR Add(const CString& value);
    /// Removes `count` elements from `index` on; out-of-range requests are ignored.
    void RemoveAt(INT_PTR index, INT_PTR count = 1);
    /// Removes every element.
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};

/// A list position: opaque, null past either end.
struct __POSITION {};
/// A position in a CObList: GetHeadPosition or GetTailPosition start a walk, GetNext or
/// GetPrev step on, and null means past the end.
typedef __POSITION* POSITION;

/// A doubly linked list of CObject pointers. The list never owns what its entries point to:
/// RemoveAll drops the pointers only.
class VANTA_API CObList : public CObject {
public:
    /// An empty list.
    CObList() = default;
    CObList(const CObList&) = delete;
    CObList& operator=(const CObList&) = delete;
    /// Frees the list's own nodes; the objects the entries point to stay.
    ~CObList() override;

    /// The number of entries.
    INT_PTR GetCount() const { return m_count; }
    /// The number of entries (the same as GetCount).
    INT_PTR GetSize() const { return m_count; }
    /// True when the list has no entry.
    bool IsEmpty() const { return m_count == 0; }

    /// Puts `item` before the first entry and returns its position.
    POSITION AddHead(CObject* item);
    /// Puts `item` after the last entry and returns its position.
    POSITION AddTail(CObject* item);
    /// The first entry, for writing. Throws std::out_of_range on an empty list, as do the
    /// other head and tail accessors.
    CObject*& GetHead();
    /// The first entry.
    CObject* GetHead() const;
    /// The last entry, for writing.
    CObject*& GetTail();
    /// The last entry.
    CObject* GetTail() const;
    /// Takes the first entry out of the list and returns it (the object itself stays).
    CObject* RemoveHead();
    /// Takes the last entry out of the list and returns it (the object itself stays).
    CObject* RemoveTail();
    /// Removes every entry; the objects they point to stay, and are the owner's to delete.
    void RemoveAll();

    /// The first entry's position; null for an empty list.
    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_head); }
    /// The last entry's position; null for an empty list.
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_tail); }
    /// Returns the entry at `pos` and moves `pos` to the next one (null after the last).
    /// A null `pos` throws std::out_of_range, as in every accessor that takes a position.
    CObject*& GetNext(POSITION& pos);
    /// Returns the entry at `pos` and moves `pos` to the next one (null after the last).
    CObject* GetNext(POSITION& pos) const;
    /// Returns the entry at `pos` and moves `pos` to the previous one (null before the first).
    CObject*& GetPrev(POSITION& pos);
    /// Returns the entry at `pos` and moves `pos` to the previous one (null before the first).
    CObject* GetPrev(POSITION& pos) const;
    /// The entry at `pos`, for writing.
    CObject*& GetAt(POSITION pos);
    /// The entry at `pos`.
    CObject* GetAt(POSITION pos) const;

private:
    struct Node {
        Node* prev;
        Node* next;
        CObject* item;
    };
    static Node* NodeAt(POSITION pos);

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};
