#version 150
// A stroke's paint: alpha from the brush frame, less where the photograph's
// colour differs from the stroke's; colour from the stroke centre, jittered
// in HSL (by the vertex stage); shaded by the brush relief under one light.
flat in int frame;
flat in vec3 strokeColour;
flat in vec3 paintColour;
in vec2 tc;
in vec2 ic;
in vec4 stroke;
in float revealAlpha;
out vec4 fragColor;

uniform sampler2D tex_image;
uniform sampler2D tex_normal;
uniform vec4 texPos[100];
uniform int texRotated[100];
uniform float normalScale;
uniform float strokeBalance;
uniform float strokeAbstract;
uniform float strokeTransparent;
uniform float light;
uniform vec2 lightdir;
uniform float balanceScale; // declared for the pass's binding table; unused

void main()
{
    vec4 rect = texPos[frame];
    vec2 atlas = texRotated[frame] < 1 ? tc * rect.wz + rect.xy : tc * rect.zw + rect.xy;
    vec4 n = texture(tex_normal, atlas);

    float k = normalScale * mix(1.0, clamp(1.0 - 5.0 * stroke.z * stroke.z, 0.0, 1.0), 0.5 + 0.5 * strokeBalance);
    vec2 g = (n.rg - 0.5) * k;
    // Steeper than the unit sphere allows: the normal lies flat.
    float gz = 0.5 * sqrt(max(1.0 - g.x * g.x - g.y * g.y, 0.0));
    vec3 normal = normalize(vec3(2.0 * g.x, 2.0 * g.y, gz));
    float lighting = max(dot(normal, vec3(-lightdir.x, lightdir.y, 1.0)), 0.0);

    vec3 p = texture(tex_image, ic).rgb;
    float d = clamp(length(p - strokeColour), 0.0, 1.0);
    float a = max(n.a - d * (1.0 - strokeAbstract), 0.0);
    a = a * a;

    fragColor = vec4(paintColour * (light + 1.0), clamp(a * (1.0 + strokeTransparent) * revealAlpha, 0.0, 1.0)) * lighting;
}
