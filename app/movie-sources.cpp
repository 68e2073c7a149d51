#include "movie-sources.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "download.h"
#include "imdb-search.h"
#include "service-address.h"
#include "service-config.h"
#include "service-source.h"
#include "site-source.h"

namespace {

std::unique_ptr<MovieSource> Service(const ServiceSettings& settings) {
  return std::make_unique<ServiceSource>(
      settings, Download,
      [](int iSeconds) {
        std::this_thread::sleep_for(std::chrono::seconds(iSeconds));
      },
      EnvironmentFailureLog(),
      DownloadTimeout(std::getenv("FLORRIN_DOWNLOAD_TIMEOUT")));
}

std::unique_ptr<MovieSource> Site() {
  return std::make_unique<SiteSource>(EnvironmentFailureLog());
}

}  // namespace

std::unique_ptr<MovieSource> SourceForSearch() {
  const ServiceSettings settings = LoadServiceSettings(ProcessEnvironment());
  return settings.HasCredential() ? Service(settings) : Site();
}

std::unique_ptr<MovieSource> SourceForAddress(const sString& sAddress) {
  sString sId;
  if (ClassifyAddress(sAddress, &sId) == AddressKind::kOther) return Site();
  return SourceForSearch();
}
