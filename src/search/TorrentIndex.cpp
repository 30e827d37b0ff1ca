#include "TorrentIndex.h"

QCoro::Task<TorrentIndex::Reply> TorrentIndex::searchReported(TorrentQuery query) const {
    co_return Reply{co_await search(std::move(query)), Reply::Outcome::answered};
}
