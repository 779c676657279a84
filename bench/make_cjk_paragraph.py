#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes one paragraph of Chinese text, SIZE bytes of UTF-8 (default a million), as a .txt file:
common words drawn at random with full-width commas and full stops between phrases, so that word
mode removes nearly every word after the first few thousand and, once the later commas and stops
have gone too, the paragraph is one long run of characters that ICU segments with its dictionary.

    make_cjk_paragraph.py OUT.txt [SIZE] [SEED]
"""
import random
import sys

WORDS = (
    "我们 你们 他们 今天 明天 昨天 时间 工作 学习 生活 国家 政府 经济 发展 社会 文化 历史 人民 中国 台湾 "
    "民进党 主席 宣布 发起 正式 活动 问题 关系 我们的 世界 城市 地方 学校 学生 老师 朋友 家庭 孩子 父母 "
    "电话 电脑 手机 网络 公司 市场 价格 银行 医院 医生 病人 身体 健康 运动 比赛 足球 音乐 电影 故事 新闻 "
    "报纸 书店 图书馆 大学 研究 科学 技术 工程 环境 天气 春天 夏天 秋天 冬天 北京 上海 广州 香港 火车 飞机 "
    "汽车 道路 交通 旅行 饭店 早饭 午饭 晚饭 水果 蔬菜 米饭 面条 咖啡 茶 牛奶 喜欢 需要 可以 应该 已经 "
    "因为 所以 但是 如果 虽然 还是 或者 非常 特别 一起 一些 这个 那个 什么 怎么 为什么 没有 知道 觉得 认为 "
    "开始 结束 继续 决定 准备 参加 离开 回来 出去 进来 看见 听说 告诉 帮助 希望 相信 重要 简单 困难 "
    "美丽 干净 安静 热闹 快乐 幸福 前 后 上 下 里 外 大 小 多 少 新 旧 好 坏 高 低 长 短"
).split()
PUNCTUATION = ["，", "，", "，", "。"]


def main():
    out = sys.argv[1]
    size = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 12)
    parts = []
    written = 0
    while written < size:
        phrase = "".join(rng.choice(WORDS) for _ in range(rng.randint(3, 9))) + rng.choice(PUNCTUATION)
        parts.append(phrase)
        written += len(phrase.encode("utf-8"))
    with open(out, "w", encoding="utf-8") as f:
        f.write("".join(parts) + "\n")


if __name__ == "__main__":
    main()
