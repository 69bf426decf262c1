// The back end's network loop: one thread runs the reads, writes, accepts
// and timers of every socket, so that a connection costs a socket and its
// buffers, not a thread, and no connection waits for another.
//
// For the sources of the network layer only: it brings in Asio.
#pragma once

#include <array>
#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <cstddef>
#include <thread>
#include <utility>

namespace simbackend {

class EventLoop {
 public:
  EventLoop() : work_(asio::make_work_guard(context_)) {}
  ~EventLoop() { Stop(); }
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // Runs the loop on its own thread.
  void Start() {
    thread_ = std::thread([this] { context_.run(); });
  }
  // Lets the loop end once its sockets and timers are closed, and joins it.
  // Safe to call twice; never from the loop thread.
  void Stop() {
    work_.reset();
    if (thread_.joinable()) thread_.join();
  }

  asio::io_context& Context() { return context_; }

  // Where the loop thread reads whatever socket is readable: one buffer for
  // all, so that a connection that waits costs no buffer of its own.
  std::array<char, 64 * 1024>& ReadBuffer() { return readBuffer_; }

  // Runs `handler` on the loop thread, after the handlers queued before it.
  template <typename Handler>
  void Post(Handler&& handler) {
    asio::post(context_, std::forward<Handler>(handler));
  }

 private:
  asio::io_context context_;
  asio::executor_work_guard<asio::io_context::executor_type> work_;
  std::array<char, 64 * 1024> readBuffer_{};
  std::thread thread_;
};

}  // namespace simbackend
