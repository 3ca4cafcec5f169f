#pragma once
// The comment area of the stand-in's model: the current game's comments, their replies and who
// liked what. Private to server/ and its tests (seeded through PlatformServer::withState).

#include "server/ServerState.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vx::server {

struct CommentArea {
    struct Comment {
        long long id = 0;
        long long pid = 0; // 0: a comment; else the comment it replies to
        std::string fullName, content, createtime, avatar, vippic, paypic;
        long long good = 0;
        long long numberReply = 0;
        long long level = 0;
        std::string goldcoin = "0";
        std::set<std::string> likedBy;
        long long order = 0; // posting order: larger is newer
    };

    std::vector<Comment> comments;
    std::map<std::string, size_t> postedBy; // account -> comments and replies it posted
    long long nextId = 101;
    long long nextOrder = 1;
    size_t pageSize = 10;

    // Made on first use with a seeded world: comments with badges, likes and replies.
    static CommentArea& of(PlatformServer::State& s);
    Comment& add(Comment c);
    Comment* find(long long id);
};

} // namespace vx::server
