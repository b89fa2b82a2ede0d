#version 150
// Sigma 2.5; the outermost pair carries the tail so that the weights sum to 1.
in vec2 uv;
in vec2 taps[14];
out vec4 fragColor;
uniform sampler2D tex_img;

const float weights[8] = float[8](0.159576912161, 0.147308056121, 0.115876621105, 0.0776744219933,
                                  0.0443683338718, 0.0215963866053, 0.00895781211794, 0.0044299121055113265);

void main()
{
    vec4 sum = weights[0] * texture(tex_img, uv);
    for (int k = 1; k <= 7; ++k)
        sum += weights[k] * (texture(tex_img, taps[7 - k]) + texture(tex_img, taps[6 + k]));
    fragColor = sum;
}
