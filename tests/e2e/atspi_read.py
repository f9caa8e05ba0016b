#!/usr/bin/python3
# What a screen reader on Linux reads of the program's windows through AT-SPI, a line per
# control of every window of the application named last, as the MSAA probe prints them:
#   window|name|role|label|group|description
# the label being the label it is labelled by, the group the frame it sits in. With "focus"
# first: name|role of the control that has the keyboard focus.
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

ROLES = {"label": "label", "text": "text", "push button": "button", "radio button": "option",
         "panel": "group", "link": "link"}


def labelled_by(node, role):
    for relation in node.get_relation_set():
        targets = [relation.get_target(i) for i in range(relation.get_n_targets())]
        for target in targets if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY else []:
            if ROLES.get(target.get_role_name()) == role:
                return target.get_name()
    return ""


def walk(node, window):
    role = ROLES.get(node.get_role_name())
    if role and sys.argv[1] == "focus" and node.get_state_set().contains(Atspi.StateType.FOCUSED):
        print(node.get_name() + "|" + role)
    elif role and sys.argv[1] != "focus":
        relations = [labelled_by(node, r) if r != role else "" for r in ("label", "group")]
        print("|".join([window, node.get_name(), role] + relations + [node.get_description()]))
    for i in range(node.get_child_count()):
        walk(node.get_child_at_index(i), window)


desktop = Atspi.get_desktop(0)
for app in (desktop.get_child_at_index(i) for i in range(desktop.get_child_count())):
    for window in (app.get_child_at_index(i) for i in range(app.get_child_count())):
        if app.get_name() == sys.argv[-1]:
            walk(window, window.get_name())
