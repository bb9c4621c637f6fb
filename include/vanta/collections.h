// The framework's root object class and the two containers that the exports take.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"

#include <cstdint>
#include <vector>

typedef std::intptr_t INT_PTR;

// Root of the classes that live in a CObList; the destructor is virtual so that an owner can
// delete entries through the base pointer.
class VANTA_API CObject {
public:
    virtual ~CObject();

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// An indexed array of strings.
class VANTA_API CStringArray : public CObject {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    const CString& GetAt(INT_PTR index) const { return m_items.at(static_cast<size_t>(index)); }
    CString& ElementAt(INT_PTR index) { return m_items.at(static_cast<size_t>(index)); }
    void SetAt(INT_PTR index, const CString& value) { ElementAt(index) = value; }
    const CString& operator[](INT_PTR index) const { return GetAt(index); }
    CString& operator[](INT_PTR index) { return ElementAt(index); }

    // Appends and returns the new element's index.
    INT_PTR Add(const CString& value);
    // Removes `count` elements from `index` on; out-of-range requests are ignored.
    void RemoveAt(INT_PTR index, INT_PTR count = 1);
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};

// A list position: opaque, null past either end.
struct __POSITION {};
typedef __POSITION* POSITION;

// A doubly linked list of CObject pointers. The list never owns what its entries point to:
// RemoveAll drops the pointers only.
class VANTA_API CObList : public CObject {
public:
    CObList() = default;
    CObList(const CObList&) = delete;
    CObList& operator=(const CObList&) = delete;
    ~CObList() override;

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    POSITION AddHead(CObject* item);
    POSITION AddTail(CObject* item);
    CObject*& GetHead();
    CObject* GetHead() const;
    CObject*& GetTail();
    CObject* GetTail() const;
    CObject* RemoveHead();
    CObject* RemoveTail();
    void RemoveAll();

    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_head); }
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_tail); }
    // Returns the entry at `pos` and moves `pos` to the next (or previous) one.
    CObject*& GetNext(POSITION& pos);
    CObject* GetNext(POSITION& pos) const;
    CObject*& GetPrev(POSITION& pos);
    CObject* GetPrev(POSITION& pos) const;
    CObject*& GetAt(POSITION pos);
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
