"""What every benchmark here shares: timing in thread CPU time over interleaved rounds, and
the peer libraries imported quietly.

Thread CPU time (time.thread_time) does not count the time other work on a shared machine
takes the core away; rounds interleave every column, so a disturbance spoils a whole round
rather than one column, and each figure is the best round. Compare ratios from one run.
"""

import gc
import importlib
import os
import time
import timeit
import warnings


def statements_ns(columns, number, repeat):
    """Nanoseconds per execution of every (column, label): columns maps a column to
    (setup, {label: statement}); each figure is the best of `repeat` interleaved rounds of
    `number` executions, minus the column's empty loop."""
    timers = {}
    for column, (setup, statements) in columns.items():
        timers[column, None] = timeit.Timer("pass", setup=setup, timer=time.thread_time)
        for label, stmt in statements.items():
            timers[column, label] = timeit.Timer(stmt, setup=setup, timer=time.thread_time)
    best = {}
    for _ in range(repeat):
        for key, timer in timers.items():
            seconds = timer.timeit(number)
            best[key] = min(best.get(key, seconds), seconds)
    return {key: max(seconds - best[key[0], None], 0.0) / number * 1e9
            for key, seconds in best.items() if key[1] is not None}


def calls_us(calls, repeat):
    """Microseconds per call of every key: calls maps a key to (callable, number); each
    figure is the best of `repeat` interleaved rounds of `number` calls. The collector runs
    before each timing, so garbage of one column is not collected on another's time."""
    best = dict.fromkeys(calls, float("inf"))
    for _ in range(repeat):
        for key, (call, number) in calls.items():
            gc.collect()
            start = time.thread_time()
            for _ in range(number):
                result = call()
            elapsed = time.thread_time() - start
            del result
            best[key] = min(best[key], elapsed / number * 1e6)
    return best


def peer(name):
    """The module `name` of a peer library, or None where it is not installed. The
    reference rect and vector types' package greets and warns on import: not here."""
    os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)
        try:
            return importlib.import_module(name)
        except ImportError:
            return None
