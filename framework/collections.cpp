#include "vanta/collections.h"

#include <algorithm>
#include <stdexcept>

CObject::~CObject() = default;

INT_PTR CStringArray::Add(const CString& value) {
    m_items.push_back(value);
    return GetSize() - 1;
}

void CStringArray::RemoveAt(INT_PTR index, INT_PTR count) {
    if (index < 0 || count <= 0 || index >= GetSize()) {
        return;
    }
    const INT_PTR end = std::min(GetSize(), index + count);
    m_items.erase(m_items.begin() + index, m_items.begin() + end);
}

CObList::~CObList() {
    RemoveAll();
}

CObList::Node* CObList::NodeAt(POSITION pos) {
    if (pos == nullptr) {
        throw std::out_of_range("CObList: null POSITION");
    }
    return reinterpret_cast<Node*>(pos);
}

POSITION CObList::AddHead(CObject* item) {
    Node* node = new Node{nullptr, m_head, item};
    (m_head ? m_head->prev : m_tail) = node;
    m_head = node;
    ++m_count;
    return reinterpret_cast<POSITION>(node);
}

POSITION CObList::AddTail(CObject* item) {
    Node* node = new Node{m_tail, nullptr, item};
    (m_tail ? m_tail->next : m_head) = node;
    m_tail = node;
    ++m_count;
    return reinterpret_cast<POSITION>(node);
}

CObject*& CObList::GetHead() {
    return NodeAt(GetHeadPosition())->item;
}

CObject* CObList::GetHead() const {
    return NodeAt(GetHeadPosition())->item;
}

CObject*& CObList::GetTail() {
    return NodeAt(GetTailPosition())->item;
}

CObject* CObList::GetTail() const {
    return NodeAt(GetTailPosition())->item;
}

CObject* CObList::RemoveHead() {
    Node* node = NodeAt(GetHeadPosition());
    CObject* item = node->item;
    m_head = node->next;
    (m_head ? m_head->prev : m_tail) = nullptr;
    delete node;
    --m_count;
    return item;
}

CObject* CObList::RemoveTail() {
    Node* node = NodeAt(GetTailPosition());
    CObject* item = node->item;
    m_tail = node->prev;
    (m_tail ? m_tail->next : m_head) = nullptr;
    delete node;
    --m_count;
    return item;
}

void CObList::RemoveAll() {
    while (m_head != nullptr) {
        Node* next = m_head->next;
        delete m_head;
        m_head = next;
    }
    m_tail = nullptr;
    m_count = 0;
}

CObject*& CObList::GetNext(POSITION& pos) {
    Node* node = NodeAt(pos);
    pos = reinterpret_cast<POSITION>(node->next);
    return node->item;
}

CObject* CObList::GetNext(POSITION& pos) const {
    Node* node = NodeAt(pos);
    pos = reinterpret_cast<POSITION>(node->next);
    return node->item;
}

CObject*& CObList::GetPrev(POSITION& pos) {
    Node* node = NodeAt(pos);
    pos = reinterpret_cast<POSITION>(node->prev);
    return node->item;
}

CObject* CObList::GetPrev(POSITION& pos) const {
    Node* node = NodeAt(pos);
    pos = reinterpret_cast<POSITION>(node->prev);
    return node->item;
}

CObject*& CObList::GetAt(POSITION pos) {
    return NodeAt(pos)->item;
}

CObject* CObList::GetAt(POSITION pos) const {
    return NodeAt(pos)->item;
}
