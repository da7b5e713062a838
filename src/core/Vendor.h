#pragma once

// The maker's addresses, in one place.
namespace qmvendor {

// The update server; "/install/" is both the check and the download page.
inline constexpr char kUpdateBaseUrl[] = "http://www.brackenhall.com";
inline constexpr char kWebSite[] = "www.brackenhall.com";
inline constexpr char kWebSiteUk[] = "www.brackenhall.co.uk";
inline constexpr char kContactEmail[] = "support@brackenhall.com";

}  // namespace qmvendor
