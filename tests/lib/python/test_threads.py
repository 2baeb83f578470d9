"""Threads filtering different arrays at once get what they get one by one,
and the GIL is free while the filter runs."""
import threading

import numpy

import tavi
from conftest import aliased


def test_threads_at_once_get_the_serial_results():
    images = [aliased(90 + 7 * i, 120 - 5 * i, seed=i) for i in range(8)]
    serial = [tavi.antialias(image, strength=70) for image in images]
    results = [[None] * len(images) for _ in range(4)]
    start = threading.Barrier(4)

    def work(t):
        start.wait()
        for round in range(3):
            for k in range(len(images)):
                i = (k + t) % len(images)
                results[t][i] = tavi.antialias(images[i], strength=70)

    threads = [threading.Thread(target=work, args=(t,)) for t in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for t in range(4):
        for i, image in enumerate(images):
            assert numpy.array_equal(results[t][i], serial[i]), f"thread {t}, image {i}"
    assert not all(numpy.array_equal(a, b) for a, b in zip(images, serial))


def test_the_gil_is_released_while_filtering():
    # A frame large enough to take a while; Python code in this thread keeps
    # running while another thread is inside the filter only if the GIL was
    # let go. Holding it would allow a handful of steps at most.
    image = numpy.tile(aliased(256, 256, seed=11), (6, 6, 1))
    inside = threading.Event()
    done = threading.Event()

    def filter_it():
        inside.set()
        tavi.antialias(image)
        done.set()

    thread = threading.Thread(target=filter_it)
    thread.start()
    inside.wait()
    steps = 0
    while not done.is_set():
        steps += 1
    thread.join()
    assert steps > 1000
