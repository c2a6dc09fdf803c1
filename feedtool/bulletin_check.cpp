#include "feedtool/bulletin_check.h"

#include "service/bulletin.h"
#include "service/response_body.h"
#include "service/version_notice.h"

namespace {
void checkKeys(const FeedSource& source, Report& report)
{
    const std::size_t readable = lengthBeforeNul(source.bytes.data(), source.bytes.size());
    if (readable < source.bytes.size())
        report.add(Severity::Warning, {source.name}, "NUL bytes",
            "a NUL byte: the saver reads nothing after it ("
                + counted(source.bytes.size() - readable, "byte", "bytes") + " lost)");
    const BulletinKeys keys = findBulletinKeys(std::string_view(source.bytes).substr(0, readable));
    if (keys.numberAt < 0)
        report.add(Severity::Warning, {source.name}, "missing keys", std::string("no \"") + messageNumKey + "\" key");
    if (keys.messageAt < 0)
        report.add(Severity::Warning, {source.name}, "missing keys", std::string("no \"") + messageKey + "\" key");
}

void checkVersion(const FeedSource& source, const ServiceBulletin& bulletin, Report& report)
{
    if (!isComparableVersion(bulletin.version)) {
        report.add(Severity::Warning, {source.name}, "versions that do not compare",
            "the version " + quoted(bulletin.version)
                + " is not a plain version number such as 5.1: no saver ever shows the \"New Version!\" box");
    } else if (isNewerVersion(localVersion, bulletin.version)) {
        report.list("  a " + localVersion + " saver shows the \"New Version!\" box at exit: \""
            + versionNoticeText() + "\"");
    } else {
        report.list("  a " + localVersion + " saver shows no box: " + quoted(bulletin.version) + " is not newer than "
            + localVersion);
    }
}
}

void checkBulletin(const FeedSource& source, Report& report)
{
    report.list("bulletin: " + source.name);
    if (!source.usable) {
        report.add(Severity::Warning, {source.name}, "unusable bulletins",
            "the saver gets no bulletin (" + source.problem + "), so it never shows a version notice");
        return;
    }
    ServiceBulletin bulletin;
    parseBulletin(source.bytes.data(), source.bytes.size(), bulletin);
    report.list("  version     " + quoted(bulletin.version));
    report.list("  messageNum  " + quoted(bulletin.messageNum));
    report.list("  message     " + quoted(bulletin.message));
    checkKeys(source, report);
    checkVersion(source, bulletin, report);
}
