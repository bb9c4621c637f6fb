/// \file
/// The asset catalogue: the asset record and statistics classes, and the exports that read one
/// asset, a user's asset list and an asset's statistics.
///
/// The record members hold the service's reply fields by position, converted as the comments
/// say; the library gives them no meaning of its own. Unsigned members store the int that
/// atoi gives unchanged, so "-1" reads back as 4294967295.
#pragma once

#include <cstdint>

#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// One asset as the service describes it. A list entry belongs to the caller, who deletes it
/// through its CObject pointer.
class VANTA_API QDX_CAssetInfo : public CObject {
public:
    /// Every text empty, every number 0.
    QDX_CAssetInfo();
    /// Names the asset for QDX_GetAssetInfo; everything else as the default constructor.
    QDX_CAssetInfo(const CString& userNum, const CString& assetNum);
    ~QDX_CAssetInfo() override;

    // Each member's note: the field of the single-asset reply / of the list record, and the
    // conversion.
    CString m_strUserNum;   ///< sent / the user-identifier argument
    CString m_strAssetNum;  ///< sent / field 8
    CString m_strText1;     ///< field 1 / field 1 ("FAIL", "NOROWS" when refused)
    CString m_strText2;     ///< field 2 / field 2
    unsigned int m_nValue1; ///< field 3 / field 3, atoi
    unsigned int m_nValue2; ///< field 4 / field 4, atoi
    /// field 5 / field 5, read as a decimal (a size in bytes). 64 bits on every platform: as
    /// a `long` it would hold only 32 on Windows, and a size beyond 2 GB would wrap.
    std::int64_t m_lValue3;
    CString m_strText3;     ///< field 6 / field 6
    double m_dValue;        ///< field 8 / field 7, atof
    CString m_strText4;     ///< field 7 / field 9
    CString m_strText5;     ///< field 10 / field 11
    unsigned int m_nValue4; ///< field 9 / field 10, atoi
    unsigned int m_nValue5; ///< field 11 / field 12, atoi
    CString m_strText6;     ///< field 12 / field 13
};

/// One statistics record of an asset: two numbers whose meaning is the service's.
class VANTA_API QDX_CAssetStat : public CObject {
public:
    QDX_CAssetStat();
    ~QDX_CAssetStat() override;

    int m_nValue1; ///< field 1, atoi
    int m_nValue2; ///< field 2, atoi
};

/// Reads the asset that info.m_strUserNum and info.m_strAssetNum name into `info`.
/// 1: read (a short reply fills what it reaches; numbers it lacks repeat the last numeric
/// text read, 0 if none); 256: the first value is FAIL (m_strText1 holds it, nothing else
/// changed); 32: channel failure, `info` untouched.
VANTA_API unsigned int WINAPI QDX_GetAssetInfo(QDX_CAssetInfo& info, StatusCallback callback);

/// The same read, handing ten members back; the out-arguments are written, all of them, only
/// when the result is 1.
VANTA_API unsigned int WINAPI QDX_GetAssetInfo(const CString& userNum, const CString& assetNum,
                                               CString& text4, unsigned int& value4, CString& text2,
                                               CString& text5, double& dValue, CString& text3,
                                               unsigned int& value5, CString& text6,
                                               unsigned int& value1, unsigned int& value2,
                                               StatusCallback callback);

/// Appends one new QDX_CAssetInfo per asset of `productNum` at the tail of `assets`, which is
/// never emptied. 1: all read (an empty reply appends nothing); 256 / 2048: a record began with
/// FAIL / NOROWS, and the entries before it stay; 32: channel failure, list untouched.
VANTA_API unsigned int WINAPI QDX_GetAssetList(const CString& userNum, const CString& productNum,
                                               CObList& assets, StatusCallback callback);

/// Appends one new QDX_CAssetStat per two-value record at the tail of `stats`; results as
/// QDX_GetAssetList.
VANTA_API unsigned int WINAPI QDX_GetAssetStats(const CString& userNum, const CString& assetNum,
                                                CObList& stats, StatusCallback callback);
