#include "platform/host_lookup.h"

#include <QHostInfo>

namespace lumetra::platform {

int LookUpHost(const std::string& name, QObject* context,
               std::function<void(const HostLookupResult&)> done) {
  return QHostInfo::lookupHost(QString::fromStdString(name), context,
                               [done = std::move(done)](const QHostInfo& info) {
                                 HostLookupResult result;
                                 if (info.error() == QHostInfo::NoError) {
                                   for (const QHostAddress& a : info.addresses()) {
                                     std::string text = a.toString().toStdString();
                                     if (result.ipv4.empty() && a.protocol() == QAbstractSocket::IPv4Protocol)
                                       result.ipv4 = text;
                                     result.addresses.push_back(std::move(text));
                                   }
                                 }
                                 if (done) done(result);
                               });
}

void AbortHostLookup(int id) { QHostInfo::abortHostLookup(id); }

}  // namespace lumetra::platform
