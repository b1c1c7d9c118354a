// Static message tables: each class that handles window messages or commands lists them in
// a constexpr array and chains to its base class's table.
#pragma once

#include <variant>

#include "framework/types.h"
#include "ui/device_context.h"

class CCmdTarget;
class CDC;

using HICON = const ui::Icon*;

// Messages, with their usual numbers.
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT EM_SETREADONLY = 0x00CF;
inline constexpr UINT BN_CLICKED = 0;
inline constexpr int ICON_SMALL = 0;
inline constexpr int ICON_BIG = 1;

// The handler signatures the tables know.
using AFX_PMSG = void (CCmdTarget::*)();
using AFX_PMSG_ICON = HICON (CCmdTarget::*)();
using AFX_PMSG_ERASE = BOOL (CCmdTarget::*)(CDC*);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    std::variant<std::monostate, AFX_PMSG, AFX_PMSG_ICON, AFX_PMSG_ERASE> pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;  // ends with an entry of message 0
};

#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
    static const AFX_MSGMAP* GetThisMessageMap();     \
    const AFX_MSGMAP* GetMessageMap() const override; \
    friend class CCmdTarget;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        using ThisClass = theClass;                     \
        using TheBaseClass = baseClass;                 \
        static constexpr AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                       \
    AFX_MSGMAP_ENTRY {                                                          \
        0, 0, 0, std::monostate {}                                              \
    }                                                                           \
    }                                                                           \
    ;                                                                           \
    static constexpr AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, \
                                              &_messageEntries[0]};             \
    return &messageMap;                                                         \
    }

#define ON_WM_PAINT() AFX_MSGMAP_ENTRY{WM_PAINT, 0, 0, static_cast<AFX_PMSG>(&ThisClass::OnPaint)},
#define ON_WM_ERASEBKGND() \
    AFX_MSGMAP_ENTRY{WM_ERASEBKGND, 0, 0, static_cast<AFX_PMSG_ERASE>(&ThisClass::OnEraseBkgnd)},
#define ON_WM_QUERYDRAGICON()                \
    AFX_MSGMAP_ENTRY{WM_QUERYDRAGICON, 0, 0, \
                     static_cast<AFX_PMSG_ICON>(&ThisClass::OnQueryDragIcon)},
#define ON_BN_CLICKED(id, memberFxn) \
    AFX_MSGMAP_ENTRY{WM_COMMAND, BN_CLICKED, (id), static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define ON_COMMAND(id, memberFxn) ON_BN_CLICKED(id, memberFxn)

// The root of every message-handling class.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // The first entry for the message, searching this class's table, then its bases'.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
