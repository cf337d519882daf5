"""The README a newcomer reads first: the set-up commands it shows are real executables of this repository,
and every picture it links is here, with a screenshot and an animated preview among them."""

import os
import re
import shlex
import unittest

from PIL import Image

from q47harness import SOURCE_DIR

README = os.path.join(SOURCE_DIR, "README.md")
SET_UP_HEADING = "## Set-up"
PREVIEW_LIMIT = 2 * 1024 * 1024

FENCE = re.compile(r"^```[^\n]*\n(.*?)^```", re.MULTILINE | re.DOTALL)
MARKDOWN_PICTURE = re.compile(r"!\[[^\]]*\]\(\s*([^)\s]+)")
HTML_PICTURE = re.compile(r"<img\b[^>]*\bsrc=\"([^\"]+)\"", re.IGNORECASE)
ASSIGNMENT = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*=")


def read_readme():
    with open(README, encoding="utf-8") as file:
        return file.read()


def section(text, heading):
    """The body under this level-2 heading, up to the next level-2 heading."""
    start = text.index(heading + "\n") + len(heading) + 1
    following = text.find("\n## ", start)
    return text[start:] if following < 0 else text[start:following]


def shown_commands(markdown):
    """The program each line of each code block runs, past any VAR=value in front of it."""
    commands = []
    for block in FENCE.findall(markdown):
        for line in block.splitlines():
            words = [word for word in shlex.split(line, comments=True) if not ASSIGNMENT.match(word)]
            if words:
                commands.append(words[0])
    return commands


def linked_pictures(markdown):
    links = MARKDOWN_PICTURE.findall(markdown) + HTML_PICTURE.findall(markdown)
    return [link for link in links if not re.match(r"^[a-z]+:", link)]


class ReadmeHelpersTest(unittest.TestCase):
    """The extraction itself, on small made-up READMEs, so that a wrong pattern cannot pass the checks below."""

    def test_commands_and_pictures_are_found(self):
        cases = [
            ("plain", "```sh\nscripts/run.sh\n```\n", ["scripts/run.sh"], []),
            ("env in front and a comment", "```\nSDL_AUDIODRIVER=dummy build/q47  # quiet\n\n```\n",
             ["build/q47"], []),
            ("two blocks", "```sh\na/b\n```\ntext\n```sh\nc/d --x\n```\n", ["a/b", "c/d"], []),
            ("markdown and html pictures", "![shot](docs/s.png)\n<img src=\"docs/p.gif\" width=\"640\">\n", [],
             ["docs/s.png", "docs/p.gif"]),
            ("remote pictures are not ours", "![x](https://example.org/x.png)\n", [], []),
        ]
        for name, markdown, commands, pictures in cases:
            with self.subTest(name):
                self.assertEqual(shown_commands(markdown), commands)
                self.assertEqual(linked_pictures(markdown), pictures)

    def test_set_up_section_stops_at_the_next_heading(self):
        text = "# t\n## Set-up\n```\nx\n```\n## Controls\n```\ny\n```\n"
        self.assertEqual(shown_commands(section(text, SET_UP_HEADING)), ["x"])


class ReadmeTest(unittest.TestCase):
    def setUp(self):
        self.text = read_readme()

    def test_every_set_up_command_is_an_executable_of_the_repository(self):
        commands = shown_commands(section(self.text, SET_UP_HEADING))
        self.assertIn("scripts/run.sh", commands)
        self.assertIn("scripts/test.sh", commands)
        for command in commands:
            with self.subTest(command=command):
                path = os.path.join(SOURCE_DIR, command)
                self.assertFalse(os.path.isabs(command), "a set-up command outside the repository")
                self.assertTrue(os.path.isfile(path), f"{command} is not in the repository")
                self.assertTrue(os.access(path, os.X_OK), f"{command} is not executable")

    def test_every_linked_picture_is_in_the_repository_and_opens(self):
        pictures = linked_pictures(self.text)
        self.assertTrue(pictures, "the README shows no picture")
        for link in pictures:
            with self.subTest(link=link):
                path = os.path.normpath(os.path.join(SOURCE_DIR, link))
                self.assertTrue(path.startswith(os.path.normpath(SOURCE_DIR) + os.sep), f"{link} leaves the repository")
                self.assertTrue(os.path.isfile(path), f"{link} is not in the repository")
                with Image.open(path) as image:
                    image.verify()

    def test_the_pictures_include_a_screenshot_and_an_animated_preview_under_2_mb(self):
        frames = {}
        for link in linked_pictures(self.text):
            path = os.path.join(SOURCE_DIR, link)
            if os.path.isfile(path):
                with Image.open(path) as image:
                    frames[link] = getattr(image, "n_frames", 1)
        animated = [link for link, count in frames.items() if count > 1]
        still = [link for link, count in frames.items() if count == 1]
        self.assertTrue(still, "no still screenshot linked")
        self.assertTrue(animated, "no animated preview linked")
        for link in animated:
            with self.subTest(link=link):
                self.assertLess(os.path.getsize(os.path.join(SOURCE_DIR, link)), PREVIEW_LIMIT)
                self.assertGreaterEqual(frames[link], 50, "a preview of a few seconds has more frames")


if __name__ == "__main__":
    unittest.main()
