// The public asset record classes. The destructors are defined here so that the classes'
// virtual tables live in the library, which deletes nothing of the caller's but must let the
// caller delete entries through CObject pointers.
#include "vanta/assets.h"

QDX_CAssetInfo::QDX_CAssetInfo()
    : m_nValue1(0), m_nValue2(0), m_lValue3(0), m_dValue(0.0), m_nValue4(0), m_nValue5(0) {}

QDX_CAssetInfo::QDX_CAssetInfo(const CString& userNum, const CString& assetNum)
    : m_strUserNum(userNum), m_strAssetNum(assetNum), m_nValue1(0), m_nValue2(0), m_lValue3(0),
      m_dValue(0.0), m_nValue4(0), m_nValue5(0) {}

QDX_CAssetInfo::~QDX_CAssetInfo() = default;

QDX_CAssetStat::QDX_CAssetStat() : m_nValue1(0), m_nValue2(0) {}

QDX_CAssetStat::~QDX_CAssetStat() = default;
